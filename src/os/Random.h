// The operating system's cryptographic random source. Random names made
// from it (temporary files, GUIDs) cannot be predicted from the clock.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/String.h"

namespace lumora {

// Fills count bytes at buffer. Blocks only until the source is seeded, at
// boot. Throws std::system_error in the unheard-of case that the source is
// unusable, rather than hand out predictable bytes.
void OsRandomBytes(void* buffer, size_t count);

// count letters drawn from the source, each of a-z and A-Z equally likely;
// the empty text for a count below 1.
String RandomLetters(int32_t count);

}  // namespace lumora
