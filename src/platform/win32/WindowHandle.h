// A window destroyed when its holder goes.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

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
// registration of the same name fails harmlessly: the class is the same.
inline void RegisterWindowClass(const wchar_t* name, WNDPROC procedure,
                                const TWindowClassLook& look = {}) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.hCursor = look.Cursor;
  windowClass.hbrBackground = look.Background;
  windowClass.hIcon = look.Icon;
  windowClass.hIconSm = look.SmallIcon;
  windowClass.lpszClassName = name;
  ::RegisterClassExW(&windowClass);
}

}  // namespace lumora
