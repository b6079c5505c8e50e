#include "pack/NearestName.h"

#include <algorithm>
#include <vector>

namespace lumora {

namespace {

char16_t FoldAscii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

}  // namespace

size_t EditDistance(StringView a, StringView b) {
  // Optimal string alignment: Levenshtein plus the swap of two neighbours,
  // the commonest typing slip ("AppTitel").
  const size_t width = b.size() + 1;
  std::vector<size_t> rows(3 * width);
  size_t* before = rows.data();
  size_t* previous = before + width;
  size_t* current = previous + width;
  for (size_t j = 0; j < width; ++j) previous[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    current[0] = i;
    for (size_t j = 1; j < width; ++j) {
      const bool same = FoldAscii(a[i - 1]) == FoldAscii(b[j - 1]);
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + (same ? 0 : 1)});
      if (i > 1 && j > 1 && FoldAscii(a[i - 1]) == FoldAscii(b[j - 2]) && FoldAscii(a[i - 2]) == FoldAscii(b[j - 1])) {
        current[j] = std::min(current[j], before[j - 2] + 1);
      }
    }
    std::rotate(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(width), rows.end());
  }
  return previous[b.size()];
}

String NearestName(StringView wanted, std::span<const String> candidates, size_t maxDistance) {
  String best;
  size_t bestDistance = maxDistance + 1;
  bool tied = false;
  for (const String& candidate : candidates) {
    const size_t distance = EditDistance(wanted, candidate);
    if (distance == 0) return {};
    if (distance < bestDistance) {
      best = candidate;
      bestDistance = distance;
      tied = false;
    } else if (distance == bestDistance && EditDistance(candidate, best) != 0) {
      tied = true;
    }
  }
  return bestDistance <= maxDistance && !tied ? best : String();
}

}  // namespace lumora
