// The style files compiled into the executable where there are no
// resources: the table lumora-stylec generates at build time.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lumora {

struct TEmbeddedStyleFile {
  const char16_t* Name;  // resource name
  const uint8_t* Data;
  size_t Size;
};

extern const TEmbeddedStyleFile EmbeddedStyleFiles[];
extern const size_t EmbeddedStyleFileCount;

}  // namespace lumora
