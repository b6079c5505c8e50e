// One entry's extraction: the local header, then the layers of the read path
// stacked over the entry's data (data window, decryption, decompression,
// output with its CRC check), each raising its own error.
#pragma once

#include <string>

#include "core/Stream.h"
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
  static void Extract(TStream& archive, const TAbZipItem& item, TStream& to,
                      const TZipPasswordPolicy& password);
};

}  // namespace lumora
