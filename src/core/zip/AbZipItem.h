// One entry of the central directory.
#pragma once

#include <cstdint>

#include "base/String.h"
#include "core/zip/ZipRecords.h"

namespace lumora {

struct TAbZipItem {
  TAbZipDirectoryFileHeader Header;
  // The decoded name, separators exactly as stored (normally "/").
  String FileName;
  // The header's sizes and offset, or their Zip64 values where the header
  // holds the escape value 0xFFFFFFFF.
  uint64_t CompressedSize = 0;
  uint64_t UncompressedSize = 0;
  uint64_t RelativeOffset = 0;

  bool IsEncrypted() const { return (Header.GeneralPurposeBitFlag & zip::kFlagEncrypted) != 0; }
};

}  // namespace lumora
