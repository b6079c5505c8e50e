// The window styles of the border styles (TBorderStyle ordinals); any other
// value gets the sizeable frame.
#pragma once

#include <windows.h>

#include "platform/FormWindow.h"

namespace lumora {

struct TWindowStyle {
  DWORD Style;
  DWORD ExStyle;
};

constexpr TWindowStyle FormWindowStyle(int borderStyle) {
  constexpr DWORD kAlways = WS_CLIPCHILDREN;
  switch (borderStyle) {
    case bsNone:
      return {WS_POPUP | kAlways, 0};
    case bsSingle:
      return {WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | kAlways, 0};
    case bsDialog:
      return {WS_CAPTION | WS_SYSMENU | kAlways, WS_EX_DLGMODALFRAME};
    case bsToolWindow:
      return {WS_CAPTION | WS_SYSMENU | kAlways, WS_EX_TOOLWINDOW};
    case bsSizeToolWin:
      return {WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | kAlways, WS_EX_TOOLWINDOW};
    case bsSizeable:
    default:
      return {WS_OVERLAPPEDWINDOW | kAlways, 0};
  }
}

}  // namespace lumora
