// The style files built into the running program: VCLSTYLE resources on
// Windows, a table compiled into the executable elsewhere.
#pragma once

#include <cstdint>
#include <vector>

#include "base/String.h"

namespace lumora {

struct TStyleResource {
  String Name;                // the resource name, such as CARBON
  std::vector<uint8_t> Data;  // the style file, not yet checked
};

// Every embedded style file, ordered by resource name on both platforms.
std::vector<TStyleResource> EmbeddedStyleResources();

}  // namespace lumora
