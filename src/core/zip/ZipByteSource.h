// The reading side of an entry's layers (data window, decryption): each
// pulls blocks from the one below it. Calls are per block, never per byte.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lumora {

class TZipByteSource {
 public:
  virtual ~TZipByteSource() = default;
  // Fills buffer with up to count bytes; fewer only at the end of the data,
  // 0 after it.
  virtual size_t Read(uint8_t* buffer, size_t count) = 0;
};

}  // namespace lumora
