// "Did you mean ...?": the known name closest to a mistyped one, for the
// packer's messages about configuration keys and template names.
#pragma once

#include <cstddef>
#include <span>

#include "base/String.h"

namespace lumora {

// The number of single-character edits (insert, delete, replace, or swap of
// two neighbours) between a and b, ASCII letter case ignored.
size_t EditDistance(StringView a, StringView b);

// The candidate nearest to wanted, when it is at most maxDistance edits
// away and nearer than any other; else the empty text. An exact match
// (letter case aside) is not a near miss and also gives the empty text.
String NearestName(StringView wanted, std::span<const String> candidates, size_t maxDistance);

}  // namespace lumora
