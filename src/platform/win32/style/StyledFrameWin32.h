// The program's own top-level windows in the active style: their frames
// and captions (non-client painting, hit testing, the caption buttons),
// their background and their controls' colours. A window procedure passes
// each message here first:
//
//   if (auto styled = StyledFrameMessage(window, message, wParam, lParam)) return *styled;
//
// With "Windows" active (no style) nothing is handled and the window keeps
// the platform's look; a window without a caption (borderless) gets the
// style's colours but no frame.
#pragma once

#include <windows.h>

#include <optional>

namespace lumora {

// The answer to message when the style handles it; nothing when the
// window's own procedure should.
std::optional<LRESULT> StyledFrameMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Redraws the frames and backgrounds of the calling thread's windows after
// the active style changed.
void RestyleThreadWindows();

}  // namespace lumora
