// The message box while a style is active: a window of ours, since the
// system's box cannot be drawn in a style. Caption, text, an optional
// error icon and one button, which Enter, Escape and the caption's close
// button press too.
#pragma once

#include <windows.h>

#include <string>

#include "core/style/StyleDefinition.h"

namespace lumora {

struct TStyledMessageBox {
  std::wstring Text;
  std::wstring Caption;
  std::wstring ButtonLabel;
  bool ErrorIcon = false;
};

// Shows box modal to owner (none: on its own) and returns when it is
// dismissed, or destroyed with its owner. The window class is
// "LumoraMessageBox", the button's id IDOK. False, and nothing shown, when
// no style is active or the window cannot be created.
bool ShowStyledMessageBox(HWND owner, const TStyledMessageBox& box);

}  // namespace lumora
