// Finding the end of central directory record from the back of the file,
// and reading it together with the Zip64 record it may point to.
#pragma once

#include <cstdint>
#include <optional>

#include "base/Stream.h"
#include "core/zip/ZipRecords.h"

namespace lumora {

class TZipEndRecord {
 public:
  // The offset of the end record, or nothing when the file has none. The
  // file position is restored when nothing is found.
  //
  // Fast path: the last 22 bytes are a record without a comment. Otherwise
  // the file is scanned backwards in chunks of 512 bytes doubling up to
  // 65536, each chunk overlapping the one after it by 22 bytes so that a
  // record crossing the border is still seen; a candidate counts only when
  // its comment fits in the bytes that follow it.
  static std::optional<int64_t> Locate(TStream& file);

  // Reads the record at position and, when any of its fields holds an
  // escape value, merges in the Zip64 record. Raises EAbZipInvalid for a
  // damaged record, EStreamError for a read past the end of the file.
  static TAbZipDirectoryFileFooter Read(TStream& file, int64_t position);
};

}  // namespace lumora
