// What a backend must offer for a style to be drawn: filled (optionally
// rounded) rectangles, lines and one line of text. Everything else about a
// styled window, where each part goes and in which colour, is decided in
// the core (StyleWindowLayout.h, StyleWindowPainter.h).
#pragma once

#include "base/String.h"
#include "core/style/StyleDefinition.h"

namespace lumora {

// Right and Bottom are exclusive.
struct TStyleRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool Empty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
  TStyleRect Inflated(int by) const { return {Left - by, Top - by, Right + by, Bottom + by}; }
  bool operator==(const TStyleRect&) const = default;
};

enum class TStyleTextAlign { Left, Center };

class TStyleCanvas {
 public:
  virtual ~TStyleCanvas() = default;
  // Fills rect; a radius above 0 rounds its four corners.
  virtual void FillRect(const TStyleRect& rect, TStyleColor color, int radius) = 0;
  // A line of the given width from (x1, y1) to (x2, y2).
  virtual void DrawLine(int x1, int y1, int x2, int y2, TStyleColor color, int width) = 0;
  // One line of text in the user-interface font, centred vertically in
  // rect, clipped to it.
  virtual void DrawText(const TStyleRect& rect, StringView text, TStyleColor color, TStyleTextAlign align) = 0;
};

}  // namespace lumora
