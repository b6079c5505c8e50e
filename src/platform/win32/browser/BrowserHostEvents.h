// What the WebBrowser control and its page ask of the browser host's owner:
// the events of the browser component, each optional. The host's COM
// objects raise them on the user-interface thread, inside calls from the
// control.
#pragma once

#include <oaidl.h>

#include <functional>
#include <vector>

#include "core/String.h"
#include "core/bridge/BrowserJs.h"

namespace lumora {

struct TBrowserHostEvents {
  // Before each navigation, frames too; Headers are the request's extra
  // headers ("Name: value" lines, the Referer among them), empty when
  // there are none. Cancel true stops it.
  std::function<void(const String& URL, const String& Headers, bool& Cancel)> OnBeforeNavigate2;
  // The page asks for a new window: return the Application object of the
  // browser that is to show it (with a reference for the caller), or
  // nullptr to let the control decide. Raised for NewWindow2 and
  // NewWindow3 alike.
  std::function<IDispatch*()> OnNewWindow;
  std::function<void(const String& URL)> OnNavigateComplete2;
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
