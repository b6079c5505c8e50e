// A top-level window of the system on Win32: a registered window class
// with the program's main icon, the border styles as window styles, size
// limits through WM_GETMINMAXINFO, and WM_CLOSE routed through the close
// query. Its content (a browser view's host window) fills the client area.
#include <windows.h>

#include <climits>

#include "core/HandlerGuard.h"
#include "os/win32/WideString.h"
#include "os/win32/WindowClass.h"
#include "platform/win32/style/StyledFrameWin32.h"
#include "platform/FormWindow.h"
#include "platform/win32/FormWindowStyle.h"
#include "platform/win32/SessionEnd.h"
#include "platform/win32/browser/WebBrowserHost.h"

namespace lumora {

namespace {

constexpr wchar_t kWindowClass[] = L"LumoraForm";

HICON MainIcon(int size) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  auto icon = static_cast<HICON>(::LoadImageW(instance, L"MAINICON", IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  return icon ? icon : ::LoadIconW(nullptr, IDI_APPLICATION);
}

// The class is registered once for the program, with icons loaded once:
// each load hands out handles of its own, which the class never frees.
void RegisterFormClass(WNDPROC procedure) {
  WNDCLASSEXW registered{};
  registered.cbSize = sizeof registered;
  if (::GetClassInfoExW(::GetModuleHandleW(nullptr), kWindowClass, &registered)) return;
  RegisterWindowClass(kWindowClass, procedure,
                      {.Cursor = ::LoadCursorW(nullptr, IDC_ARROW),
                       .Background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                       .Icon = MainIcon(::GetSystemMetrics(SM_CXICON)),
                       .SmallIcon = MainIcon(::GetSystemMetrics(SM_CXSMICON))});
}

// The show command the program was started with, for its first window
// only, as the platform itself applies it: SW_SHOWMAXIMIZED and
// SW_SHOWMINNOACTIVE count, anything else leaves the window's own state.
int StartupShowCommand() {
  static bool used = false;
  if (used) return SW_SHOWNORMAL;
  used = true;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  ::GetStartupInfoW(&startup);
  if (!(startup.dwFlags & STARTF_USESHOWWINDOW)) return SW_SHOWNORMAL;
  if (startup.wShowWindow == SW_SHOWMAXIMIZED || startup.wShowWindow == SW_SHOWMINNOACTIVE) {
    return startup.wShowWindow;
  }
  return SW_SHOWNORMAL;
}

class TFormWindowWin32 final : public TFormWindow {
 public:
  // Every window after the first (the main window) is owned by the first:
  // it stays above it, and only the main window has a taskbar button.
  TFormWindowWin32() {
    RegisterFormClass(&WindowProc);
    const TWindowStyle style = FormWindowStyle(TWindowFrame::ForBorderStyle(bsSizeable));
    const HWND owner =
        OpenWindows().front() != this ? static_cast<HWND>(OpenWindows().front()->NativeHandle()) : nullptr;
    FWindow.reset(::CreateWindowExW(style.ExStyle, kWindowClass, L"", style.Style, CW_USEDEFAULT, CW_USEDEFAULT, 640,
                                    480, owner, nullptr, ::GetModuleHandleW(nullptr), this));
    // Without its window the form could never be shown or closed.
    if (!FWindow) RaiseWindowNotCreated(u"The window");
  }

  ~TFormWindowWin32() override {
    RemoveContent();
    if (!FWindow) return;
    ::SetWindowLongPtrW(FWindow.get(), GWLP_USERDATA, 0);
    // Destroying an owner destroys the windows it owns, under their forms
    // and their content: they are let go first.
    for (TFormWindow* other : OpenWindows()) {
      const auto handle = static_cast<HWND>(other->NativeHandle());
      if (other != this && ::GetWindow(handle, GW_OWNER) == FWindow.get()) {
        ::SetWindowLongPtrW(handle, GWLP_HWNDPARENT, 0);
      }
    }
  }

 protected:
  void SetCaptionImpl(const String& caption) override { ::SetWindowTextW(FWindow.get(), Wide(caption).c_str()); }

  void SetFrameImpl(const TWindowFrame& frame) override {
    const HWND window = FWindow.get();
    const TWindowStyle wanted = FormWindowStyle(frame);
    // The state bits (shown, maximised, minimised) stay as they are.
    const LONG_PTR state = ::GetWindowLongPtrW(window, GWL_STYLE) & (WS_VISIBLE | WS_MAXIMIZE | WS_MINIMIZE);
    ::SetWindowLongPtrW(window, GWL_STYLE, static_cast<LONG_PTR>(wanted.Style) | state);
    const LONG_PTR topmost = ::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST;
    ::SetWindowLongPtrW(window, GWL_EXSTYLE, static_cast<LONG_PTR>(wanted.ExStyle) | topmost);
    ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  // The limits go to WM_GETMINMAXINFO; a size asked for is already inside
  // them. Before a size is asked for, a window that is not resizable has
  // no one size yet, and no limits.
  void SetSizeImpl(const TWindowSize& size, const TWindowFrame& frame) override {
    FLimits = size;
    if (size.Width <= 0 || size.Height <= 0) {
      if (!frame.Resizable) FLimits = TWindowSize{};
      return;
    }
    ::SetWindowPos(FWindow.get(), nullptr, 0, 0, size.Width, size.Height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  }

  void MoveImpl(int left, int top) override {
    ::SetWindowPos(FWindow.get(), nullptr, left, top, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
  }

  void SetStayOnTopImpl(bool value) override {
    ::SetWindowPos(FWindow.get(), value ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }

  void SetMaximizedImpl(bool value) override {
    FMaximized = value;
    if (FShown) ::ShowWindow(FWindow.get(), value ? SW_MAXIMIZE : SW_RESTORE);
  }

  void SetCenteredImpl(bool value) override { FCentered = value; }

  void SetContentImpl(void* nativeView) override {
    FContent = static_cast<HWND>(nativeView);
    if (!FContent) return;
    if (::GetParent(FContent) != FWindow.get()) ::SetParent(FContent, FWindow.get());
    FitContent();
    ::ShowWindow(FContent, SW_SHOW);
  }

  void RemoveContentImpl(void*) override {
    // The view's window is a child of this one and goes with it; it is
    // only hidden here.
    if (FContent && ::IsWindow(FContent)) ::ShowWindow(FContent, SW_HIDE);
    FContent = nullptr;
  }

  void ShowImpl() override {
    const HWND window = FWindow.get();
    if (!FShown) {
      FShown = true;
      if (FCentered) Center();
      const int command = StartupShowCommand();
      if (command != SW_SHOWNORMAL) {
        ::ShowWindow(window, command);
        return;
      }
    }
    ::ShowWindow(window, FMaximized ? SW_SHOWMAXIMIZED : SW_SHOW);
  }

  void HideImpl() override { ::ShowWindow(FWindow.get(), SW_HIDE); }

  // A window shown before comes back as the user left it (maximised or
  // not); only a minimised one is restored, to its own earlier state.
  void BringToFrontImpl() override {
    const HWND window = FWindow.get();
    if (!FShown) {
      ShowImpl();
    } else {
      ::ShowWindow(window, ::IsIconic(window) ? SW_RESTORE : SW_SHOW);
    }
    ::SetForegroundWindow(window);
  }

  bool VisibleImpl() const override { return ::IsWindowVisible(FWindow.get()) != FALSE; }
  void MinimizeImpl() override { ::ShowWindow(FWindow.get(), SW_MINIMIZE); }

  void RestoreImpl() override {
    ::ShowWindow(FWindow.get(), SW_RESTORE);
    ::SetForegroundWindow(FWindow.get());
  }

  void* NativeHandleImpl() const override { return FWindow.get(); }

  // The frame as the window has it now: caption, borders, or a style's own.
  std::pair<int, int> FrameExtentImpl() const override {
    RECT outer{}, client{};
    ::GetWindowRect(FWindow.get(), &outer);
    ::GetClientRect(FWindow.get(), &client);
    return {(outer.right - outer.left) - client.right, (outer.bottom - outer.top) - client.bottom};
  }

  // Keys for the windows inside this one, before they are dispatched: a
  // browser's go to that browser (its key event, the swallowed shortcuts,
  // the control's accelerators); any other child's are shown to the form
  // first, so that Escape closes it wherever the focus is. The form's own
  // keys reach it through WM_KEYDOWN.
  bool PreDispatchKeyImpl(void* nativeMessage) override {
    MSG& message = *static_cast<MSG*>(nativeMessage);
    const HWND window = FWindow.get();
    if (message.hwnd == window || !::IsChild(window, message.hwnd)) return false;
    if (TWebBrowserHost::FromWindow(message.hwnd)) return TranslateBrowserAccelerator(message);
    if (message.message == WM_KEYDOWN) RaiseKeyDown(static_cast<int>(message.wParam));
    return false;
  }

 private:
  void FitContent() {
    if (!FContent) return;
    RECT client{};
    ::GetClientRect(FWindow.get(), &client);
    ::MoveWindow(FContent, 0, 0, client.right, client.bottom, TRUE);
  }

  void RaiseKeyDown(int key) {
    if (!OnKeyDown) return;
    // A copy: the handler may close the window.
    auto handler = OnKeyDown;
    RunHandler([&handler, key] { handler(key); });
  }

  void Center() {
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT bounds{};
    ::GetWindowRect(FWindow.get(), &bounds);
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    ::SetWindowPos(FWindow.get(), nullptr, work.left + (work.right - work.left - width) / 2,
                   work.top + (work.bottom - work.top - height) / 2, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
  }

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (auto styled = StyledFrameMessage(window, message, wParam, lParam)) return *styled;  // visual style
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TFormWindowWin32*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
      case WM_CLOSE:
        // The caption's button, the system menu, Alt+F4: one close request.
        RunHandler([self] { self->Close(); });
        return 0;
      case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        // Only real limits: "none" leaves the system's own.
        const TWindowSize& size = self->FLimits;
        if (size.MinWidth > 1) limits->ptMinTrackSize.x = size.MinWidth;
        if (size.MinHeight > 1) limits->ptMinTrackSize.y = size.MinHeight;
        if (size.MaxWidth > 0 && size.MaxWidth < SHRT_MAX) limits->ptMaxTrackSize.x = size.MaxWidth;
        if (size.MaxHeight > 0 && size.MaxHeight < SHRT_MAX) limits->ptMaxTrackSize.y = size.MaxHeight;
        return 0;
      }
      case WM_SIZE:
        // Once shown, the user's own maximising and restoring are the state
        // the window comes back in.
        if (self->FShown && (wParam == SIZE_MAXIMIZED || wParam == SIZE_RESTORED)) {
          self->FMaximized = wParam == SIZE_MAXIMIZED;
        }
        self->FitContent();
        return 0;
      case WM_SETFOCUS:
        if (self->FContent) ::SetFocus(self->FContent);
        return 0;
      case WM_KEYDOWN:
        self->RaiseKeyDown(static_cast<int>(wParam));
        return 0;
      case WM_QUERYENDSESSION:
        // Nothing of the program stands in the way of the user's log-off.
        return TRUE;
      case WM_ENDSESSION:
        if (wParam) EndSession();
        return 0;
      default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
  }

  TWindowHandle FWindow;
  HWND FContent = nullptr;
  TWindowSize FLimits;
  bool FMaximized = false;
  bool FCentered = false;
  bool FShown = false;
};

}  // namespace

std::unique_ptr<TFormWindow> TFormWindow::Create() { return std::make_unique<TFormWindowWin32>(); }

}  // namespace lumora
