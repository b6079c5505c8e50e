// The geometry of a styled window's frame and caption, computed once for
// every backend: the painter draws it, and the platforms hit-test with it.
#pragma once

#include <array>

#include "core/style/StyleCanvas.h"
#include "core/style/StyleDefinition.h"

namespace lumora {

enum class TCaptionButton : uint8_t { Minimize, Maximize, Close };

// Which caption buttons a window has, as its border style decides.
struct TCaptionButtons {
  bool Minimize = true;
  bool Maximize = true;
  bool Close = true;
};

struct TStyleWindowLayout {
  TStyleRect Window;   // the outer rectangle, frame included
  TStyleRect Caption;  // the caption bar inside the frame
  TStyleRect Title;    // where the caption text goes
  TStyleRect Client;   // below the caption, inside the frame
  // Right to left: Close, Maximize, Minimize; an absent button is empty.
  std::array<TStyleRect, 3> Buttons{};

  const TStyleRect& Button(TCaptionButton button) const { return Buttons[static_cast<size_t>(button)]; }
};

// The layout of a window occupying bounds. A window smaller than its frame
// and caption gets empty parts rather than negative ones.
TStyleWindowLayout LayoutStyledWindow(const TStyleDefinition& style, const TStyleRect& bounds, TCaptionButtons buttons);

// The outer size of a styled window whose client area is width x height.
TStyleRect StyledWindowBounds(const TStyleDefinition& style, int width, int height);

// What a point of the window is, for the platform's hit testing.
enum class TStyleHit : uint8_t { Nowhere, Client, Caption, Frame, MinimizeButton, MaximizeButton, CloseButton };
TStyleHit HitTestStyledWindow(const TStyleWindowLayout& layout, int x, int y);

}  // namespace lumora
