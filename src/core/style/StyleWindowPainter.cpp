#include "core/style/StyleWindowPainter.h"

#include <algorithm>

namespace lumora {
namespace {

using Role = TStyleColorRole;

// Fills rect rounding only its top corners (Top) or only its bottom ones.
void FillRoundedTop(TStyleCanvas& canvas, const TStyleRect& rect, TStyleColor color, int radius) {
  if (rect.Empty()) return;
  canvas.FillRect(rect, color, radius);
  if (radius > 0)
    canvas.FillRect({rect.Left, std::min(rect.Bottom, rect.Top + radius), rect.Right, rect.Bottom}, color, 0);
}

void FillRoundedBottom(TStyleCanvas& canvas, const TStyleRect& rect, TStyleColor color, int radius) {
  if (rect.Empty()) return;
  canvas.FillRect(rect, color, radius);
  if (radius > 0)
    canvas.FillRect({rect.Left, rect.Top, rect.Right, std::max(rect.Top, rect.Bottom - radius)}, color, 0);
}

void PaintGlyph(TStyleCanvas& canvas, TCaptionButton button, const TStyleRect& rect, TStyleColor color) {
  if (rect.Empty()) return;
  // A glyph a third of the button's size, centred.
  const int size = std::max(4, rect.Height() / 3);
  const int left = rect.Left + (rect.Width() - size) / 2;
  const int top = rect.Top + (rect.Height() - size) / 2;
  const int right = left + size;
  const int bottom = top + size;
  switch (button) {
    case TCaptionButton::Minimize:
      canvas.DrawLine(left, bottom, right, bottom, color, 1);
      break;
    case TCaptionButton::Maximize:
      canvas.DrawLine(left, top, right, top, color, 2);
      canvas.DrawLine(right, top, right, bottom, color, 1);
      canvas.DrawLine(right, bottom, left, bottom, color, 1);
      canvas.DrawLine(left, bottom, left, top, color, 1);
      break;
    case TCaptionButton::Close:
      canvas.DrawLine(left, top, right, bottom, color, 1);
      canvas.DrawLine(left, bottom, right, top, color, 1);
      break;
  }
}

void PaintButton(TStyleCanvas& canvas, const TStyleDefinition& style, const TStyleRect& rect, Role face,
                 StringView text, bool isDefault) {
  if (rect.Empty()) return;
  const int radius = style.Metric(TStyleMetric::ButtonRadius);
  if (isDefault) {
    canvas.FillRect(rect, style.Color(Role::Accent), radius);
    canvas.FillRect(rect.Inflated(-2), style.Color(face), std::max(0, radius - 2));
  } else {
    canvas.FillRect(rect, style.Color(face), radius);
  }
  canvas.DrawText(rect, text, style.Color(Role::ButtonText), TStyleTextAlign::Center);
}

// A row of the client area, or an empty one when the area is used up.
TStyleRect Row(const TStyleRect& client, int& top, int height, int left, int width) {
  const int padding = 12;
  TStyleRect row{client.Left + padding + left, top,
                 std::min(client.Right - padding, client.Left + padding + left + width), top + height};
  if (row.Bottom > client.Bottom - padding || row.Right <= row.Left) return {};
  return row;
}

}  // namespace

void PaintStyledWindow(TStyleCanvas& canvas, const TStyleDefinition& style, const TStyleWindowLayout& layout,
                       StringView caption, bool active, TCaptionButtonStates states) {
  const int corner = style.Metric(TStyleMetric::CornerRadius);
  const int innerCorner = std::max(0, corner - style.Metric(TStyleMetric::FrameWidth));
  canvas.FillRect(layout.Window, style.Color(Role::Frame), corner);

  const TStyleColor captionColor = style.Color(active ? Role::CaptionActive : Role::CaptionInactive);
  const TStyleColor captionText = style.Color(active ? Role::CaptionActiveText : Role::CaptionInactiveText);
  FillRoundedTop(canvas, layout.Caption, captionColor, innerCorner);
  FillRoundedBottom(canvas, layout.Client, style.Color(Role::Window), innerCorner);
  if (active && !layout.Caption.Empty()) {
    const int y = layout.Caption.Bottom - 1;
    canvas.DrawLine(layout.Caption.Left, y, layout.Caption.Right - 1, y, style.Color(Role::Accent), 2);
  }
  if (!layout.Title.Empty()) canvas.DrawText(layout.Title, caption, captionText, TStyleTextAlign::Left);
  for (TCaptionButton button : {TCaptionButton::Minimize, TCaptionButton::Maximize, TCaptionButton::Close}) {
    const TStyleRect& rect = layout.Button(button);
    TStyleColor glyph = captionText;
    if (states.Pressed == button || states.Hot == button) {
      canvas.FillRect(rect, style.Color(states.Pressed == button ? Role::ButtonPressed : Role::ButtonHover),
                      style.Metric(TStyleMetric::ButtonRadius));
      glyph = style.Color(Role::ButtonText);
    }
    PaintGlyph(canvas, button, rect, glyph);
  }
}

TSampleWindowLayout LayoutSampleWindow(const TStyleDefinition& style, const TStyleRect& bounds) {
  TSampleWindowLayout sample;
  sample.Window = LayoutStyledWindow(style, bounds, TCaptionButtons{});
  const TStyleRect& client = sample.Window.Client;
  int top = client.Top + 12;
  sample.Label = Row(client, top, 20, 0, 160);
  top += 22;
  sample.DisabledLabel = Row(client, top, 20, 0, 160);
  top += 28;
  sample.Edit = Row(client, top, 26, 0, 200);
  if (!sample.Edit.Empty())
    sample.Selection = {sample.Edit.Left + 6, sample.Edit.Top + 4,
                        std::min(sample.Edit.Right - 6, sample.Edit.Left + 70), sample.Edit.Bottom - 4};
  top += 38;
  sample.Button = Row(client, top, 28, 0, 84);
  sample.HoverButton = Row(client, top, 28, 92, 84);
  sample.DefaultButton = Row(client, top, 28, 184, 84);
  return sample;
}

void PaintSampleWindow(TStyleCanvas& canvas, const TStyleDefinition& style, const TStyleRect& bounds,
                       StringView caption) {
  // What lies outside rounded corners.
  canvas.FillRect(bounds, style.Color(Role::Window), 0);
  const TSampleWindowLayout sample = LayoutSampleWindow(style, bounds);
  PaintStyledWindow(canvas, style, sample.Window, caption, true);

  if (!sample.Label.Empty()) canvas.DrawText(sample.Label, u"Text", style.Color(Role::Text), TStyleTextAlign::Left);
  if (!sample.DisabledLabel.Empty())
    canvas.DrawText(sample.DisabledLabel, u"Disabled", style.Color(Role::DisabledText), TStyleTextAlign::Left);
  if (!sample.Edit.Empty()) {
    canvas.FillRect(sample.Edit, style.Color(Role::Frame), 0);
    canvas.FillRect(sample.Edit.Inflated(-1), style.Color(Role::EditField), 0);
    canvas.FillRect(sample.Selection, style.Color(Role::Selection), 0);
    canvas.DrawText(sample.Selection, u"Selected", style.Color(Role::EditText), TStyleTextAlign::Left);
    canvas.DrawText({sample.Selection.Right, sample.Edit.Top, sample.Edit.Right - 4, sample.Edit.Bottom}, u" text",
                    style.Color(Role::EditText), TStyleTextAlign::Left);
  }
  PaintButton(canvas, style, sample.Button, Role::ButtonFace, u"Button", false);
  PaintButton(canvas, style, sample.HoverButton, Role::ButtonHover, u"Hover", false);
  PaintButton(canvas, style, sample.DefaultButton, Role::ButtonPressed, u"Default", true);
}

}  // namespace lumora
