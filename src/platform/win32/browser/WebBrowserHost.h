// The browser component on Windows: a child window that hosts the platform's
// WebBrowser control (CLSID_WebBrowser, IWebBrowser2) through hand-written
// COM sites, raises the control's events (TBrowserHostEvents) and offers its
// operations. Everything it holds is released by Close (and the destructor):
// the control, its sites, the event sink and the external object, each
// reference once.
#pragma once

#include <exdisp.h>
#include <ole2.h>
#include <windows.h>

#include <initializer_list>
#include <memory>
#include <vector>

#include "base/String.h"
#include "core/browser/ScriptValue.h"
#include "os/win32/WindowClass.h"
#include "platform/win32/browser/BrowserHostEvents.h"
#include "os/win32/ComPtr.h"

namespace lumora {

class TBrowserSite;
class TBrowserEventSink;
class TExternalDispatch;

class TWebBrowserHost {
 public:
  // Creates the host window as a child of parent, filling its client area,
  // and the control in place inside it. OLE must be initialised on this
  // thread. Raises Exception when the control cannot be created.
  explicit TWebBrowserHost(HWND parent);
  ~TWebBrowserHost();
  TWebBrowserHost(const TWebBrowserHost&) = delete;
  TWebBrowserHost& operator=(const TWebBrowserHost&) = delete;

  TBrowserHostEvents Events;

  // The DOCHOSTUIFLAG bits GetHostInfo answers.
  void SetHostFlags(uint32_t flags) { FHostFlags = flags; }
  uint32_t HostFlags() const { return FHostFlags; }
  // True: a script error is reported handled and scripts go on, without a
  // prompt. False: it is reported unhandled, any prompt is the control's.
  void SetScriptErrorsHandled(bool handled) { FScriptErrorsHandled = handled; }
  bool ScriptErrorsHandled() const { return FScriptErrorsHandled; }

  // The WebBrowser properties.
  void SetRegisterAsBrowser(bool value);
  void SetRegisterAsDropTarget(bool value);
  void SetSilent(bool value);

  void Navigate(const String& url);
  // The URL the control shows or is going to; empty before the first
  // navigation and after Close.
  String LocationURL() const;
  // The URLs the frames of the shown page show, frames of frames too, as
  // the frames' own browser objects name them (a frame of another origin
  // included, whose document the host may not read); empty without a
  // document.
  std::vector<String> FrameURLs() const;
  // Calls the loaded page's script function name with arguments; no page:
  // an empty value. Raises the errors of ScriptCallValue.
  TScriptValue ExecScriptEx(const String& name, std::initializer_list<int> arguments) {
    return ScriptCallValue(CallScript(name, arguments));
  }
  // The call, and how it ended; no page: an empty value returned.
  TScriptCall CallScript(const String& name, std::initializer_list<int> arguments);
  // True while the control holds a document whose script can be called.
  bool HasDocument() const;
  // The control's find dialog and its print preview (no prompt); nothing
  // without a page.
  void ShowFindDialog();
  void PrintPreview();

  // The control's Application object, for a new window's request.
  TComPtr<IDispatch> Application() const;
  TComPtr<IWebBrowser2> Browser() const { return FBrowser; }
  // The component's own dispatch: window.external.
  TComPtr<IDispatch> External() const;

  // Before a key message is dispatched: a key message for
  // a window inside the host raises OnKeyDown, swallows the disabled Ctrl
  // shortcuts and goes to the control's accelerator handling. True when the
  // message was handled and must not be dispatched.
  bool TranslateAccelerator(MSG& message);

  // Before a mouse message for a window inside the host is dispatched: a
  // left button released over a link of the top page raises
  // OnUserFollowsLink once the click has reached the page.
  void NoteMouse(const MSG& message);
  // Raises OnUserFollowsLink for URL from the host window's messages, after
  // what the page does with the user's action.
  void ReportUserLink(const String& URL);

  // The host whose window is window or holds it (the control's own windows
  // lie inside the host's), or nullptr.
  static TWebBrowserHost* FromWindow(HWND window);

  // The host's child window; empty after Close.
  HWND Handle() const { return FWindow.get(); }
  // Sizes the control to the host window's client area.
  void FitControl();

  // Disconnects the events, deactivates and closes the control, cuts every
  // site off and releases everything. Safe to call more than once.
  void Close();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void ConnectEvents();
  // The loaded document's script dispatch; empty without a document.
  TComPtr<IDispatch> ScriptDispatch() const;

  // The address of the top page's link at point (client coordinates of
  // the page's window), or of the focused one; empty when there is none.
  String LinkAt(const POINT* point) const;

  TWindowHandle FWindow;
  std::vector<String> FUserLinks;
  uint32_t FHostFlags = 0;
  bool FScriptErrorsHandled = true;
  TComPtr<TBrowserSite> FSite;
  TComPtr<TBrowserEventSink> FEventSink;
  TComPtr<TExternalDispatch> FExternal;
  TComPtr<IOleObject> FControl;
  TComPtr<IWebBrowser2> FBrowser;
  TComPtr<IConnectionPoint> FEventPoint;
  DWORD FEventCookie = 0;
  // Expires with the host: a handler may destroy the host that called it
  // (Escape closing the main form frees its browser view).
  std::shared_ptr<const bool> FAlive = std::make_shared<const bool>(true);
};

// For a form window's pre-dispatch hook: a key message for a window inside
// a browser goes to that browser's TranslateAccelerator. True when it was
// handled and must not be dispatched.
bool TranslateBrowserAccelerator(MSG& message);
// For the message loop: a mouse message for a window inside a browser goes
// to that browser's NoteMouse first.
void NoteBrowserMouse(const MSG& message);

}  // namespace lumora
