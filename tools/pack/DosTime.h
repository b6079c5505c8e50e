// MS-DOS date and time, the 2-second-resolution local time ZIP headers
// carry.
#pragma once

#include <cstdint>

namespace lumora {

struct TDosDateTime {
  uint16_t Time = 0;  // hour << 11 | minute << 5 | second / 2
  uint16_t Date = 0;  // (year - 1980) << 9 | month << 5 | day
};

// The local time of a moment given in seconds since 1970-01-01 UTC. Moments
// outside what the format holds (1980 to 2107) are clamped to its ends.
TDosDateTime DosDateTimeFromUnix(int64_t seconds);

}  // namespace lumora
