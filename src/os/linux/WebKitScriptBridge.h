// window.external for pages of the site scheme under WebKitGTK. A user
// script gives such pages an object whose functions call the browser
// view's OnExternalCall synchronously: a synchronous XMLHttpRequest POST on
// the page's own scheme that carries a per-process random token in a
// header only that script knows. The scheme adapter hands every request
// with that header here before the archive sees it, so the channel never
// collides with an entry, and a navigation or a form post (which cannot
// set the header) never reaches it.
#pragma once

#include "core/String.h"
#include "core/bridge/BrowserJs.h"

typedef struct _WebKitUserContentManager WebKitUserContentManager;
typedef struct _WebKitURISchemeRequest WebKitURISchemeRequest;
typedef struct _WebKitWebView WebKitWebView;

namespace lumora {

// Adds the window.external script to manager (every frame, document
// start; it acts only in pages of scheme) and lets the scheme adapter find
// the handler of web's calls. The handler belongs to the view that holds
// web and must outlive the link (see DetachWebKitScriptBridge).
void AddWebKitScriptBridge(WebKitUserContentManager* manager, WebKitWebView* web,
                           const TExternalCallHandler& handler, const String& scheme);

// Undoes AddWebKitScriptBridge's link from web to its owner, for an owner
// that goes before its web view: later calls from web are refused.
void DetachWebKitScriptBridge(WebKitWebView* web);

// True when request is a window.external call (it carries the bridge's
// header); the call is then answered or refused here. False leaves the
// request to the archive.
bool HandleWebKitScriptCall(WebKitURISchemeRequest* request);

}  // namespace lumora
