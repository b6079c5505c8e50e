// The notification-area icon through Shell_NotifyIconW: the program's main
// icon, the hint as its tip, and a hidden window that receives its clicks
// and adds it again when the shell restarts.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "core/HandlerGuard.h"
#include "os/win32/WideString.h"
#include "os/win32/WindowClass.h"
#include "platform/TrayIcon.h"

namespace lumora {

namespace {

constexpr wchar_t kWindowClass[] = L"LumoraTrayIcon";
constexpr UINT kCallbackMessage = WM_APP + 1;
constexpr UINT kIconId = 1;

UINT TaskbarCreatedMessage() {
  static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

}  // namespace

struct TTrayIcon::TImpl {
  TWindowHandle Window;
  String Hint;
  bool Visible = false;
  TTrayIcon* Owner = nullptr;

  NOTIFYICONDATAW Data() const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = Window.get();
    data.uID = kIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kCallbackMessage;
    // The program's main icon, as every window of it shows.
    data.hIcon = ::LoadIconW(::GetModuleHandleW(nullptr), L"MAINICON");
    if (!data.hIcon) data.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    const std::wstring tip = Wide(Hint);
    const size_t length = std::min(tip.size(), std::size(data.szTip) - 1);
    std::copy_n(tip.begin(), length, data.szTip);
    return data;
  }

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TImpl*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    // A shell that starts again (after a crash, or another one) knows no
    // icons: a shown one is added again.
    if (self && message == TaskbarCreatedMessage()) {
      if (self->Visible) {
        NOTIFYICONDATAW data = self->Data();
        ::Shell_NotifyIconW(NIM_ADD, &data);
      }
      return 0;
    }
    if (self && message == kCallbackMessage && wParam == kIconId && LOWORD(lParam) == WM_LBUTTONUP) {
      TTrayIcon* owner = self->Owner;
      RunHandler([owner] {
        if (owner->OnClick) owner->OnClick();
      });
      return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
};

TTrayIcon::TTrayIcon() : FImpl(std::make_unique<TImpl>()) {
  FImpl->Owner = this;
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  RegisterWindowClass(kWindowClass, &TImpl::WindowProc);
  // A top-level window that never shows: it hears the icon, and the
  // shell's "TaskbarCreated", which reaches top-level windows only.
  FImpl->Window.reset(::CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                        instance, FImpl.get()));
}

TTrayIcon::~TTrayIcon() {
  SetVisible(false);
  if (FImpl->Window) ::SetWindowLongPtrW(FImpl->Window.get(), GWLP_USERDATA, 0);
}

void TTrayIcon::SetVisible(bool visible) {
  if (visible == FImpl->Visible) return;
  NOTIFYICONDATAW data = FImpl->Data();
  ::Shell_NotifyIconW(visible ? NIM_ADD : NIM_DELETE, &data);
  FImpl->Visible = visible;
}

bool TTrayIcon::Visible() const { return FImpl->Visible; }

void TTrayIcon::SetHint(const String& hint) {
  FImpl->Hint = hint;
  if (!FImpl->Visible) return;
  NOTIFYICONDATAW data = FImpl->Data();
  ::Shell_NotifyIconW(NIM_MODIFY, &data);
}

String TTrayIcon::Hint() const { return FImpl->Hint; }

}  // namespace lumora
