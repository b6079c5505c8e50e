// The platform's current system colours (window, button face, highlight
// ...), as the colour-resolving helpers need them. No OS header leaks out.
#pragma once

#include <cstdint>

namespace lumora {

// The colour of the system colour index as 0x00BBGGRR (red in the low
// byte). An index the platform does not know gives 0, as GetSysColor does.
uint32_t GetSystemColor(int index);

}  // namespace lumora
