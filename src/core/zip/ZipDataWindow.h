// The bottom layer of an entry's read path: its compressed-size bytes of the
// archive file, and nothing beyond them.
#pragma once

#include <cstdint>

#include "base/Stream.h"
#include "core/zip/ZipByteSource.h"

namespace lumora {

class TZipDataWindow final : public TZipByteSource {
 public:
  // start must be a valid stream offset (at most INT64_MAX).
  TZipDataWindow(TStream& file, uint64_t start, uint64_t length);

  // A file that ends inside the window ends the data there, as if the
  // window were that short: the layers above report data that ends early.
  size_t Read(uint8_t* buffer, size_t count) override;

  uint64_t Remaining() const { return FRemaining; }

 private:
  TStream& FFile;
  uint64_t FRemaining;
};

}  // namespace lumora
