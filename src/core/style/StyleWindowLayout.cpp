#include "core/style/StyleWindowLayout.h"

#include <algorithm>

namespace lumora {
namespace {

// Clamps a rectangle so that Right >= Left and Bottom >= Top.
TStyleRect Normalized(TStyleRect rect) {
  rect.Right = std::max(rect.Right, rect.Left);
  rect.Bottom = std::max(rect.Bottom, rect.Top);
  return rect;
}

constexpr int TitlePadding = 8;
constexpr int ButtonGap = 2;

}  // namespace

TStyleWindowLayout LayoutStyledWindow(const TStyleDefinition& style, const TStyleRect& bounds,
                                      TCaptionButtons buttons) {
  const int frame = style.Metric(TStyleMetric::FrameWidth);
  const int captionHeight = style.Metric(TStyleMetric::CaptionHeight);

  TStyleWindowLayout layout;
  layout.Window = Normalized(bounds);
  const TStyleRect inner = Normalized(layout.Window.Inflated(-frame));
  layout.Caption = Normalized({inner.Left, inner.Top, inner.Right, std::min(inner.Bottom, inner.Top + captionHeight)});
  layout.Client = Normalized({inner.Left, layout.Caption.Bottom, inner.Right, inner.Bottom});

  // Square buttons with a small inset, packed from the right.
  const int inset = std::max(2, captionHeight / 8);
  const int size = layout.Caption.Height() - 2 * inset;
  int right = layout.Caption.Right - inset;
  const bool present[3] = {buttons.Minimize, buttons.Maximize, buttons.Close};
  for (TCaptionButton button : {TCaptionButton::Close, TCaptionButton::Maximize, TCaptionButton::Minimize}) {
    const size_t index = static_cast<size_t>(button);
    if (!present[index] || size <= 0 || right - size < layout.Caption.Left) continue;
    layout.Buttons[index] = {right - size, layout.Caption.Top + inset, right, layout.Caption.Top + inset + size};
    right -= size + ButtonGap;
  }
  layout.Title =
      Normalized({layout.Caption.Left + TitlePadding, layout.Caption.Top, right - TitlePadding, layout.Caption.Bottom});
  return layout;
}

TStyleRect StyledWindowBounds(const TStyleDefinition& style, int width, int height) {
  const int frame = style.Metric(TStyleMetric::FrameWidth);
  return {0, 0, width + 2 * frame, height + 2 * frame + style.Metric(TStyleMetric::CaptionHeight)};
}

TStyleHit HitTestStyledWindow(const TStyleWindowLayout& layout, int x, int y) {
  if (!layout.Window.Contains(x, y)) return TStyleHit::Nowhere;
  constexpr TStyleHit buttonHits[3] = {TStyleHit::MinimizeButton, TStyleHit::MaximizeButton, TStyleHit::CloseButton};
  for (size_t i = 0; i < 3; ++i)
    if (layout.Buttons[i].Contains(x, y)) return buttonHits[i];
  if (layout.Caption.Contains(x, y)) return TStyleHit::Caption;
  if (layout.Client.Contains(x, y)) return TStyleHit::Client;
  return TStyleHit::Frame;
}

}  // namespace lumora
