// Where the executable image ends: the container's archive starts there.
#pragma once

#include <cstdint>

#include "base/String.h"

namespace lumora {

// The end of the running executable's own image: on Windows from the loaded
// module's section table in memory, on Linux from the ELF headers of the
// running executable's file.
int64_t RunningImageLength();

}  // namespace lumora
