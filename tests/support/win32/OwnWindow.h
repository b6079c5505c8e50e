// Finds a top-level window of this test process. ctest runs tests of one
// file in several processes at once on the same display, so a plain
// FindWindowW may hand a test the window of another.
#pragma once

#include <windows.h>

namespace lumora::test {

// The first top-level window of this process with the class and title
// (null matches any title), or null.
inline HWND FindOwnWindow(const wchar_t* className, const wchar_t* title = nullptr) {
  for (HWND window = ::FindWindowExW(nullptr, nullptr, className, title); window;
       window = ::FindWindowExW(nullptr, window, className, title)) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == ::GetCurrentProcessId()) return window;
  }
  return nullptr;
}

}  // namespace lumora::test
