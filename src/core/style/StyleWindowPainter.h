// Drawing a styled window's frame and caption, and the sample window a
// style preview shows, on any backend's canvas.
#pragma once

#include <optional>

#include "core/style/StyleCanvas.h"
#include "core/style/StyleWindowLayout.h"

namespace lumora {

// The caption button under the mouse and the one held down, if any.
struct TCaptionButtonStates {
  std::optional<TCaptionButton> Hot;
  std::optional<TCaptionButton> Pressed;
};

// Frame, caption bar (with an accent line under it while active), the
// caption text and the caption buttons' glyphs; a hot or pressed button
// gets its face. The client area is filled with the window colour.
void PaintStyledWindow(TStyleCanvas& canvas, const TStyleDefinition& style, const TStyleWindowLayout& layout,
                       StringView caption, bool active, TCaptionButtonStates states = {});

// The sample window's controls, placed in its client area; a part that
// does not fit is empty.
struct TSampleWindowLayout {
  TStyleWindowLayout Window;
  TStyleRect Label;          // text on the window colour
  TStyleRect DisabledLabel;  // disabled text
  TStyleRect Edit;           // a text box ...
  TStyleRect Selection;      // ... with part of its text selected
  TStyleRect Button;         // a push button at rest
  TStyleRect HoverButton;    // one under the mouse
  TStyleRect DefaultButton;  // the default button: pressed face, accent edge
};
TSampleWindowLayout LayoutSampleWindow(const TStyleDefinition& style, const TStyleRect& bounds);

// The whole sample: an active window filling bounds, captioned caption,
// with one of each control.
void PaintSampleWindow(TStyleCanvas& canvas, const TStyleDefinition& style, const TStyleRect& bounds,
                       StringView caption);

}  // namespace lumora
