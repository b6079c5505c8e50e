// Message boxes through MessageBoxW, owned by the active window; while a
// style is active, our own box drawn in it.
#include <windows.h>

#include <string_view>

#include "platform/MessageBox.h"
#include "core/style/StyleEngine.h"
#include "os/win32/WideString.h"
#include "platform/win32/style/StyledMessageBoxWin32.h"

namespace lumora {
namespace {

// MessageBoxW has no Close button: the thread's box gets its OK button
// relabelled as it is about to show, through a CBT hook.

LRESULT CALLBACK RelabelOkAsClose(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    const HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t className[16] = {};
    ::GetClassNameW(box, className, 16);
    if (std::wstring_view(className) == L"#32770") ::SetDlgItemTextW(box, IDOK, L"Close");
  }
  // The hook handle argument has been ignored since Windows NT.
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

class TCloseLabel {
 public:
  TCloseLabel() : FHook(::SetWindowsHookExW(WH_CBT, RelabelOkAsClose, nullptr, ::GetCurrentThreadId())) {}
  ~TCloseLabel() {
    if (FHook) ::UnhookWindowsHookEx(FHook);
  }
  TCloseLabel(const TCloseLabel&) = delete;
  TCloseLabel& operator=(const TCloseLabel&) = delete;

 private:
  HHOOK FHook;
};

}  // namespace

void ShowMessageBox(const String& text, const String& caption, uint32_t flags) {
  // The system's box when our own cannot be made: a message is never lost.
  if (StyleEngine().ActiveStyle() &&
      ShowStyledMessageBox(::GetActiveWindow(), {Wide(text), Wide(caption), (flags & mbClose) ? L"Close" : L"OK",
                                                 (flags & mbIconError) != 0})) {
    return;
  }
  const UINT style = MB_OK | (flags & ~static_cast<uint32_t>(mbClose));
  if (flags & mbClose) {
    TCloseLabel label;
    ::MessageBoxW(::GetActiveWindow(), Wide(text).c_str(), Wide(caption).c_str(), style);
    return;
  }
  ::MessageBoxW(::GetActiveWindow(), Wide(text).c_str(), Wide(caption).c_str(), style);
}

}  // namespace lumora
