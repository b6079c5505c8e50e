// One entry's extraction: the local header, then the layers of the read path
// stacked over the entry's data (data window, decryption, decompression,
// output with its CRC check), each raising its own error.
#pragma once

#include <string>

#include "base/Stream.h"
#include "core/zip/AbZipItem.h"
#include "core/zip/PkwareDecryptor.h"

namespace lumora {

// The password and what to do when it fails.
struct TZipPasswordPolicy {
  std::string& Password;
  uint8_t Retries;
  const TZipNeedPassword& NeedPassword;
};

class TZipExtractor {
 public:
  // Writes the entry's decoded bytes into to at its position. Raises
  // EAbZipVersion, EAbZipInvalid (bad local header), EAbZipInvalidPassword,
  // EAbUnhandledType, EAbZipBadData, EStreamError (short file) and, after
  // all bytes are written, EAbZipBadCRC. to keeps what was written before
  // an error.
  static void Extract(TStream& archive, const TAbZipItem& item, TStream& to, const TZipPasswordPolicy& password);

  // The pieces an extraction starts with, for readers that decode an entry
  // bit by bit. EAbZipVersion for an entry newer than this reader.
  static void CheckSupported(const TAbZipItem& item);
  // Reads the local header and returns where the entry's data start;
  // EAbZipInvalid for a bad header or data that would end past any file.
  static uint64_t DataOffset(TStream& archive, const TAbZipItem& item, TAbZipLocalFileHeader& local);
  // The byte the encryption header's last byte must decrypt to.
  static uint8_t CheckByte(const TAbZipItem& item, const TAbZipLocalFileHeader& local);
};

}  // namespace lumora
