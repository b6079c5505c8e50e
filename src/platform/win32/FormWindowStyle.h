// The window styles of the frames the border styles ask for
// (TWindowFrame::ForBorderStyle).
#pragma once

#include <windows.h>

#include "platform/FormWindow.h"

namespace lumora {

struct TWindowStyle {
  DWORD Style;
  DWORD ExStyle;
};

inline TWindowStyle FormWindowStyle(const TWindowFrame& frame) {
  constexpr DWORD kAlways = WS_CLIPCHILDREN;
  if (!frame.Decorated) return {WS_POPUP | kAlways, 0};
  switch (frame.Kind) {
    case TWindowFrame::Dialog:
      return {WS_CAPTION | WS_SYSMENU | kAlways, WS_EX_DLGMODALFRAME};
    case TWindowFrame::Utility:
      return {WS_CAPTION | WS_SYSMENU | (frame.Resizable ? WS_THICKFRAME : 0) | kAlways, WS_EX_TOOLWINDOW};
    case TWindowFrame::Normal:
      break;
  }
  if (!frame.Resizable) return {WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | kAlways, 0};
  return {WS_OVERLAPPEDWINDOW | kAlways, 0};
}

}  // namespace lumora
