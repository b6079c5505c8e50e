#include "core/style/StyleContrast.h"

#include <algorithm>
#include <cmath>

namespace lumora {
namespace {

double Linear(uint8_t channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(TStyleColor color) {
  return 0.2126 * Linear(color.Red()) + 0.7152 * Linear(color.Green()) + 0.0722 * Linear(color.Blue());
}

}  // namespace

double ContrastRatio(TStyleColor a, TStyleColor b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace lumora
