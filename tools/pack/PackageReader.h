// Reading a package back the way the runtime reads it, for --list and
// --verify: the archive after the program image, opened with the runtime's
// own ZIP reader under the archive password.
#pragma once

#include <cstdint>
#include <vector>

#include "base/String.h"

namespace lumora {

struct TPackageEntry {
  String Name;
  uint64_t Size = 0;
  uint64_t CompressedSize = 0;
  uint16_t Method = 0;
  uint16_t DosTime = 0;
  uint16_t DosDate = 0;
  bool Encrypted = false;
};

struct TVerifyResult {
  size_t Entries = 0;
  uint64_t Bytes = 0;
  // "name: reason" for each entry that failed.
  std::vector<String> Failures;
};

class TPackageReader {
 public:
  TPackageReader() = delete;

  // Where the archive starts in the file: the end of the program image for
  // a packaged program (as the runtime finds it), 0 for a bare archive.
  static int64_t ArchiveStart(const String& path);

  static std::vector<TPackageEntry> List(const String& path);

  // Decrypts, inflates and CRC-checks every entry, like "unzip -t", on
  // jobs threads (0 for one per processor). Failures come in entry order.
  static TVerifyResult Verify(const String& path, int jobs = 0);
};

}  // namespace lumora
