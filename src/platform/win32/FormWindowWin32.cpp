// A top-level window of the system on Win32: a registered window class
// with the program's main icon, the border styles as window styles, size
// limits through WM_GETMINMAXINFO, and WM_CLOSE routed through the close
// query. Its content (a browser view's host window) fills the client area.
#include <windows.h>

#include <algorithm>

#include "core/HandlerGuard.h"
#include "platform/BrowserView.h"
#include "platform/FormWindow.h"
#include "platform/win32/FormWindowStyle.h"
#include "platform/win32/WideString.h"
#include "platform/win32/WindowHandle.h"

namespace lumora {

namespace {

constexpr wchar_t kWindowClass[] = L"LumoraForm";

HICON MainIcon(int size) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  auto icon = static_cast<HICON>(::LoadImageW(instance, L"MAINICON", IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  return icon ? icon : ::LoadIconW(nullptr, IDI_APPLICATION);
}

void RegisterFormClass(WNDPROC procedure) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.hIcon = MainIcon(::GetSystemMetrics(SM_CXICON));
  windowClass.hIconSm = MainIcon(::GetSystemMetrics(SM_CXSMICON));
  windowClass.lpszClassName = kWindowClass;
  ::RegisterClassExW(&windowClass);
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

}  // namespace

struct TFormWindow::TImpl {
  TWindowHandle Window;
  String Caption;
  HWND Content = nullptr;
  int MinWidth = 0, MaxWidth = 0, MinHeight = 0, MaxHeight = 0;
  bool Maximized = false;
  bool Centered = false;
  bool Shown = false;
  bool Closing = false;
  TFormWindow* Owner = nullptr;

  RECT Bounds() const {
    RECT bounds{};
    ::GetWindowRect(Window.get(), &bounds);
    return bounds;
  }
  void SetBounds(int left, int top, int width, int height) {
    width = std::clamp(width, std::max(MinWidth, 1), MaxWidth > 0 ? MaxWidth : SHRT_MAX);
    height = std::clamp(height, std::max(MinHeight, 1), MaxHeight > 0 ? MaxHeight : SHRT_MAX);
    ::SetWindowPos(Window.get(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void FitContent() {
    if (!Content) return;
    RECT client{};
    ::GetClientRect(Window.get(), &client);
    ::MoveWindow(Content, 0, 0, client.right, client.bottom, TRUE);
  }
  void Center() {
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const RECT bounds = Bounds();
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    ::SetWindowPos(Window.get(), nullptr, work.left + (work.right - work.left - width) / 2,
                   work.top + (work.bottom - work.top - height) / 2, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
  }

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TImpl*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
      case WM_CLOSE: {
        // The caption's button, the system menu, Alt+F4: one close request.
        TFormWindow* owner = self->Owner;
        RunHandler([owner] { owner->Close(); });
        return 0;
      }
      case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        if (self->MinWidth > 0) limits->ptMinTrackSize.x = self->MinWidth;
        if (self->MinHeight > 0) limits->ptMinTrackSize.y = self->MinHeight;
        if (self->MaxWidth > 0) limits->ptMaxTrackSize.x = self->MaxWidth;
        if (self->MaxHeight > 0) limits->ptMaxTrackSize.y = self->MaxHeight;
        return 0;
      }
      case WM_SIZE:
        self->FitContent();
        return 0;
      case WM_SETFOCUS:
        if (self->Content) ::SetFocus(self->Content);
        return 0;
      case WM_KEYDOWN: {
        TFormWindow* owner = self->Owner;
        const int key = static_cast<int>(wParam);
        if (owner->OnKeyDown) {
          auto handler = owner->OnKeyDown;
          RunHandler([&handler, key] { handler(key); });
        }
        return 0;
      }
      default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
  }
};

TFormWindow::TFormWindow() : FImpl(std::make_unique<TImpl>()) {
  FImpl->Owner = this;
  RegisterFormClass(&TImpl::WindowProc);
  const TWindowStyle style = FormWindowStyle(bsSizeable);
  FImpl->Window.reset(::CreateWindowExW(style.ExStyle, kWindowClass, L"", style.Style, CW_USEDEFAULT, CW_USEDEFAULT,
                                        640, 480, nullptr, nullptr, ::GetModuleHandleW(nullptr), FImpl.get()));
}

TFormWindow::~TFormWindow() {
  RemoveContent();
  if (FImpl->Window) ::SetWindowLongPtrW(FImpl->Window.get(), GWLP_USERDATA, 0);
}

void TFormWindow::SetCaption(const String& caption) {
  FImpl->Caption = caption;
  ::SetWindowTextW(FImpl->Window.get(), Wide(caption).c_str());
}

String TFormWindow::Caption() const { return FImpl->Caption; }

void TFormWindow::SetBorderStyle(int style) {
  const HWND window = FImpl->Window.get();
  const TWindowStyle wanted = FormWindowStyle(style);
  // The state bits (shown, maximised, minimised) stay as they are.
  const LONG_PTR state = ::GetWindowLongPtrW(window, GWL_STYLE) & (WS_VISIBLE | WS_MAXIMIZE | WS_MINIMIZE);
  ::SetWindowLongPtrW(window, GWL_STYLE, static_cast<LONG_PTR>(wanted.Style) | state);
  const LONG_PTR topmost = ::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST;
  ::SetWindowLongPtrW(window, GWL_EXSTYLE, static_cast<LONG_PTR>(wanted.ExStyle) | topmost);
  ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFormWindow::SetLeft(int value) {
  const RECT bounds = FImpl->Bounds();
  FImpl->SetBounds(value, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
}

void TFormWindow::SetTop(int value) {
  const RECT bounds = FImpl->Bounds();
  FImpl->SetBounds(bounds.left, value, bounds.right - bounds.left, bounds.bottom - bounds.top);
}

void TFormWindow::SetWidth(int value) {
  const RECT bounds = FImpl->Bounds();
  FImpl->SetBounds(bounds.left, bounds.top, value, bounds.bottom - bounds.top);
}

void TFormWindow::SetHeight(int value) {
  const RECT bounds = FImpl->Bounds();
  FImpl->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, value);
}

void TFormWindow::SetSizeConstraints(int minWidth, int maxWidth, int minHeight, int maxHeight) {
  FImpl->MinWidth = minWidth;
  FImpl->MaxWidth = maxWidth;
  FImpl->MinHeight = minHeight;
  FImpl->MaxHeight = maxHeight;
  const RECT bounds = FImpl->Bounds();
  FImpl->SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
}

void TFormWindow::SetStayOnTop(bool value) {
  ::SetWindowPos(FImpl->Window.get(), value ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TFormWindow::SetMaximized(bool value) {
  FImpl->Maximized = value;
  if (FImpl->Shown) ::ShowWindow(FImpl->Window.get(), value ? SW_MAXIMIZE : SW_RESTORE);
}

void TFormWindow::SetCentered(bool value) { FImpl->Centered = value; }

void TFormWindow::SetContent(TBrowserView& view) {
  RemoveContent();
  FImpl->Content = static_cast<HWND>(view.NativeHandle());
  if (!FImpl->Content) return;
  ::SetParent(FImpl->Content, FImpl->Window.get());
  FImpl->FitContent();
  ::ShowWindow(FImpl->Content, SW_SHOW);
}

void TFormWindow::RemoveContent() {
  if (!FImpl->Content) return;
  // The view outlives this window's hold on it: it moves to a message-only
  // parent, so destroying this window does not destroy the view's window.
  if (::IsWindow(FImpl->Content) && ::GetParent(FImpl->Content) == FImpl->Window.get()) {
    ::ShowWindow(FImpl->Content, SW_HIDE);
    ::SetParent(FImpl->Content, HWND_MESSAGE);
  }
  FImpl->Content = nullptr;
}

void TFormWindow::Show() {
  const HWND window = FImpl->Window.get();
  if (!FImpl->Shown) {
    FImpl->Shown = true;
    if (FImpl->Centered) FImpl->Center();
    const int command = StartupShowCommand();
    if (command != SW_SHOWNORMAL) {
      ::ShowWindow(window, command);
      return;
    }
  }
  ::ShowWindow(window, FImpl->Maximized ? SW_SHOWMAXIMIZED : SW_SHOW);
}

void TFormWindow::Hide() { ::ShowWindow(FImpl->Window.get(), SW_HIDE); }

void TFormWindow::BringToFront() {
  Show();
  ::SetForegroundWindow(FImpl->Window.get());
}

bool TFormWindow::Visible() const { return ::IsWindowVisible(FImpl->Window.get()) != FALSE; }

void TFormWindow::Minimize() { ::ShowWindow(FImpl->Window.get(), SW_MINIMIZE); }

void TFormWindow::Restore() {
  ::ShowWindow(FImpl->Window.get(), SW_RESTORE);
  ::SetForegroundWindow(FImpl->Window.get());
}

void TFormWindow::Close() {
  // A close request raised while the close query is still asking the page
  // (the page's own window.close, a second Escape) is the same request.
  if (FImpl->Closing) return;
  FImpl->Closing = true;
  bool canClose = true;
  try {
    if (OnCloseQuery) canClose = OnCloseQuery();
    if (canClose) {
      if (OnClose) OnClose();
      Hide();
    }
  } catch (...) {
    FImpl->Closing = false;
    throw;
  }
  FImpl->Closing = false;
}

void* TFormWindow::NativeHandle() const { return FImpl->Window.get(); }

}  // namespace lumora
