// What the WebBrowser control and its page ask of the browser host's owner:
// the events of the browser component, each optional. The host's COM
// objects raise them on the user-interface thread, inside calls from the
// control.
#pragma once

#include <oaidl.h>

#include <functional>
#include <vector>

#include "base/String.h"
#include "core/bridge/BrowserJs.h"

namespace lumora {

// A request for a new window as the control describes it. NewWindow2 says
// nothing of it (Described false); NewWindow3 names the page that asks
// (its bstrUrlContext, a frame's own URL for a frame) and whether the user
// asked (NWMF_USERINITED or NWMF_USERREQUESTED in its flags).
struct TNewWindowRequest {
  bool Described = false;
  String OpenerURL;
  bool UserAction = false;
};

struct TBrowserHostEvents {
  // Before each navigation, frames too; Headers are the request's extra
  // headers ("Name: value" lines, the Referer among them), empty when
  // there are none; TopLevel is true for the host's own browser, false for
  // a frame's. Cancel true stops it.
  std::function<void(const String& URL, const String& Headers, bool TopLevel, bool& Cancel)> OnBeforeNavigate2;
  // The page asks for a new window: return the Application object of the
  // browser that is to show it (with a reference for the caller), or
  // nullptr and Cancel true to refuse the window. nullptr alone leaves the
  // request to the control, or to the NewWindow3 the control raises after
  // NewWindow2: raised for both until a browser is given.
  std::function<IDispatch*(const TNewWindowRequest& Request, bool& Cancel)> OnNewWindow;
  std::function<void(const String& URL)> OnNavigateComplete2;
  // The user clicked a link of the top page (or pressed Enter on it) that
  // leads to URL; raised after the click has reached the page.
  std::function<void(const String& URL)> OnUserFollowsLink;
  std::function<void(const String& URL)> OnDocumentComplete;
  // The page called window.close().
  std::function<void(bool IsChildWindow, bool& Cancel)> OnWindowClosing;
  std::function<void(int value)> OnWindowSetLeft, OnWindowSetTop, OnWindowSetWidth, OnWindowSetHeight;
  std::function<void(bool Resizable)> OnWindowSetResizable;
  // A key pressed inside the control: its virtual-key code.
  std::function<void(int Key)> OnKeyDown;
  // window.external's name lookup: the identifier of name, or -1 when
  // there is none (the lookup then fails with E_NOTIMPL).
  std::function<int32_t(const String& name)> OnGetIDsOfNames;
  // Whether a call of window.external from Caller may reach the program at
  // all; asked before the call's arguments are read (reading one may run
  // the page's script). False: the call is refused as if there were no
  // such member. Unset: every caller may.
  std::function<bool(const TExternalCaller& Caller)> OnMayInvoke;
  // window.external's call of identifier ID with the script's arguments,
  // the last first; it judges the caller again, since the page's script
  // may have run while the arguments were read.
  std::function<TExternalOutcome(int32_t ID, const TExternalCaller& Caller, const std::vector<TJsValue>& Params,
                                 TJsValue& Result, TJsError& Error)>
      OnInvoke;
};

}  // namespace lumora
