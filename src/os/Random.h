// The operating system's cryptographic random source. Random names made
// from it (temporary files, GUIDs) cannot be predicted from the clock.
#pragma once

#include <cstddef>

namespace lumora {

// Fills count bytes at buffer. Blocks only until the source is seeded, at
// boot. Throws std::system_error in the unheard-of case that the source is
// unusable, rather than hand out predictable bytes.
void OsRandomBytes(void* buffer, size_t count);

}  // namespace lumora
