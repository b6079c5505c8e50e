// Text contrast of a palette, by the WCAG 2 definition: every text colour
// must stand out from the background it is drawn on.
#pragma once

#include <array>

#include "core/style/StyleDefinition.h"

namespace lumora {

// (L1 + 0.05) / (L2 + 0.05) of the relative luminances, lighter over
// darker: 1 for equal colours, 21 for black on white.
double ContrastRatio(TStyleColor a, TStyleColor b);

// Readable text needs at least this ratio (WCAG AA, normal text).
inline constexpr double MinimumTextContrast = 4.5;

struct TStyleTextPair {
  TStyleColorRole Text;
  TStyleColorRole Background;
};

// Every pairing the drawing code uses: text or glyph colour over the
// background it is drawn on.
inline constexpr std::array<TStyleTextPair, 9> StyleTextPairs = {{
    {TStyleColorRole::Text, TStyleColorRole::Window},
    {TStyleColorRole::DisabledText, TStyleColorRole::Window},
    {TStyleColorRole::CaptionActiveText, TStyleColorRole::CaptionActive},
    {TStyleColorRole::CaptionInactiveText, TStyleColorRole::CaptionInactive},
    {TStyleColorRole::ButtonText, TStyleColorRole::ButtonFace},
    {TStyleColorRole::ButtonText, TStyleColorRole::ButtonHover},
    {TStyleColorRole::ButtonText, TStyleColorRole::ButtonPressed},
    {TStyleColorRole::EditText, TStyleColorRole::EditField},
    {TStyleColorRole::EditText, TStyleColorRole::Selection},
}};

}  // namespace lumora
