// The runtime's half of the container: taking the archive out of the
// running program.
#include "core/ExeUtils.h"

#include "base/Exception.h"
#include "os/ImageHeaders.h"
#include "base/Stream.h"
#include "os/File.h"

namespace lumora {

void TExeUtils::ExtractZipFromExe(const String& ZipPath) {
  const int64_t imageEnd = GetExeImageLength();
  // A signed program carries its signature after the archive: the archive
  // ends where the signature starts.
  const int64_t exeLength = GetExeLength();
  const int64_t archiveEnd = AppendedDataEnd(ExecutablePath(), imageEnd);
  const int64_t length = (archiveEnd >= 0 && archiveEnd < exeLength ? archiveEnd : exeLength) - imageEnd;
  if (length == 0) {
    throw ENoAppendedArchive();
  }
  // Shared: the site object holds the copy open from its creation on.
  TFileStream zip(ZipPath, TFileAccess::ReadWrite, TFileShare::ReadWrite, TFileCreation::CreateAlways);
  const String exePath = ExecutablePath();
  // Shared for reading: another copy of the program may be starting from
  // the same file and reading its archive at this very moment.
  TFileStream exe(exePath, TFileAccess::Read, TFileShare::Read, TFileCreation::OpenExisting);
  exe.SetPosition(imageEnd);
  CopyBlocks(exe, zip, length, exePath);
}

}  // namespace lumora
