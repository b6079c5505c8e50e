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

}  // namespace lumora
