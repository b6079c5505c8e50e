// Window classes of this module, and windows destroyed when their holder goes.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

#include "base/String.h"

namespace lumora {

struct TWindowDestroyer {
  void operator()(HWND window) const { ::DestroyWindow(window); }
};

using TWindowHandle = std::unique_ptr<std::remove_pointer_t<HWND>, TWindowDestroyer>;

// What a window class gives its windows; an empty field leaves the system's.
struct TWindowClassLook {
  HCURSOR Cursor = nullptr;
  HBRUSH Background = nullptr;
  HICON Icon = nullptr;
  HICON SmallIcon = nullptr;
};

// Registers the window class name of this module with its procedure. A second
// registration of the same name is not an error: the class is the same. Any
// other failure raises an Exception with the system's reason.
void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, const TWindowClassLook& look = {});

// Raises an Exception for a window that could not be created: what, then the
// system's reason for the last error.
[[noreturn]] void RaiseWindowNotCreated(StringView what);

}  // namespace lumora
