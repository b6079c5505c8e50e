// The packaged program's container: the runtime's executable image followed
// directly by the site archive, with no marker or length of its own. The
// archive is everything after the image's end. Also the replacement of the
// executable's main icon, which must come before the archive is appended.
#pragma once

#include <cstdint>
#include <functional>

#include "base/Exception.h"
#include "base/String.h"

namespace lumora {

// The running program carries no archive: the program tells the user Text
// in an error box and ends with exit code 0.
class ENoAppendedArchive : public EImmediateExit {
 public:
  ENoAppendedArchive() : EImmediateExit(0) {}
  static constexpr const char16_t* Text = u"This is not a valid Windows application";
};

class TExeUtils;
class TStream;
// Called once before a copy with the number of bytes to copy.
using TOnProgressMax = std::function<void(TExeUtils& Sender, int64_t AMax)>;
// Called after each copied block with the number of bytes copied so far.
using TOnProgressPos = std::function<void(TExeUtils& Sender, int64_t APos)>;

class TExeUtils {
 public:
  // Blocks of this size move the bytes, through one buffer per operation.
  static constexpr int kCopyBlockSize = 10240;

  // Copies the archive appended to the running executable into ZipPath
  // (created, replacing any file there). In a signed executable the archive
  // ends where the signature's certificate table starts. With no appended
  // archive it raises ENoAppendedArchive without creating ZipPath. A negative length (an executable shorter than
  // its image) creates ZipPath empty. Raises EFCreateError/EFOpenError when
  // a file cannot be created or opened, and EStreamError when the executable
  // ends before the copy is complete.
  void ExtractZipFromExe(const String& ZipPath);

  // Appends the file ZipPath to the end of the existing file ExePath.
  void AppendZipToExe(const String& ZipPath, const String& ExePath);

  // Replaces the main icon (the icon group "MAINICON") of the executable
  // ExePath with the images of the icon file IcoPath. Run it before an
  // archive is appended: updating resources rewrites the file. Raises
  // EResourceUpdateError ("Resource update error: ..."); on failure the
  // executable is left as it was, except when the final write itself fails.
  // Windows only: elsewhere it raises "... Only supported on Windows NT and
  // above" before touching either file.
  static void ChangeExeIcon(const String& ExePath, const String& IcoPath);

  TOnProgressMax OnProgressMax;
  TOnProgressPos OnProgressPos;

 private:
  // Size of the file from its directory entry, -1 when there is none.
  static int64_t GetFileLength(const String& path);
  static int64_t GetExeLength();
  static int64_t GetExeImageLength();

  // Copies length bytes from source to target in blocks of kCopyBlockSize,
  // reporting progress; sourcePath names the source in errors.
  void CopyBlocks(TStream& source, TStream& target, int64_t length, const String& sourcePath);
};

}  // namespace lumora
