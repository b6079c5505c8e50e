// Message boxes through MessageBoxW, owned by the active window.
#include <windows.h>

#include "core/os/MessageBox.h"
#include "os/win32/WideString.h"

namespace lumora {

void ShowMessageBox(const String& text, const String& caption, uint32_t flags) {
  ::MessageBoxW(::GetActiveWindow(), Wide(text).c_str(), Wide(caption).c_str(), MB_OK | flags);
}

}  // namespace lumora
