// The calling window of a script call, found through the service provider
// a script engine hands IDispatchEx::InvokeEx.
#pragma once

#include <servprov.h>

#include "platform/win32/browser/BrowserHostEvents.h"

namespace lumora {

// The caller that pspCaller names: the window the engine's site offers as
// SID_SHTMLWindow, and that window's document URL (read from its
// document, else from the browser object that shows the window). Not
// named when pspCaller is null or offers no window.
TExternalCaller CallerOf(IServiceProvider* pspCaller);

}  // namespace lumora
