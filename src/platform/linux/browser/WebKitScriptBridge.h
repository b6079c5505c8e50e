// window.external for pages of the site scheme under WebKitGTK, the browser
// view's end. The web process extension (webext/BridgeExtension.cpp, put in
// place by WebKitBridgeExtension.h) gives each page a socket pair and sends
// one end to the page's view; the view answers the calls that arrive on it
// from the user-interface thread's main loop, one at a time, while the page
// waits. No request of the page reaches the site scheme for a call, and no
// name exists that another program could open.
#pragma once

#include <functional>
#include <vector>

#include "base/String.h"
#include "core/bridge/BrowserJs.h"

typedef struct _WebKitWebView WebKitWebView;

namespace lumora {

// A call of window.external as the view answers it: the view decides
// whether the page may call at all (Refused: the page sees a
// SecurityError).
using TExternalCall =
    std::function<TExternalOutcome(int32_t ID, const std::vector<TJsValue>& Params, TJsValue& Result, TJsError& Error)>;

// Answers the window.external calls of web's pages through call, which
// belongs to the view that holds web and must outlive the link (see
// DetachWebKitScriptBridge).
void AddWebKitScriptBridge(WebKitWebView* web, const TExternalCall& call);

// Undoes AddWebKitScriptBridge's link from web to its owner, for an owner
// that goes before its web view: later calls from web are refused.
void DetachWebKitScriptBridge(WebKitWebView* web);

}  // namespace lumora
