// Reading the central directory into the entry list.
#pragma once

#include "base/Stream.h"
#include "core/zip/AbArchiveList.h"
#include "core/zip/ZipNameDecoder.h"
#include "core/zip/ZipRecords.h"

namespace lumora {

class TZipCentralDirectory {
 public:
  // Reads footer.TotalEntries headers from footer.DirectoryOffset (an
  // absolute file offset) into list, decoding each name and applying its
  // Zip64 extra block. The directory is read in one large block and only
  // topped up when its headers run past the stated directory size. Raises
  // EAbZipInvalid for a header without its signature and EStreamError for
  // a read past the end of the file.
  static void Read(TStream& file, const TAbZipDirectoryFileFooter& footer, const TZipCodePages& codePages,
                   TAbArchiveList& list);
};

}  // namespace lumora
