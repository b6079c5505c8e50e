#include "core/ExeUtils.h"

#include <algorithm>
#include <vector>

#include "base/Exception.h"
#include "os/IconFile.h"
#include "base/Stream.h"
#include "core/TerminationRequest.h"
#include "os/ExeImage.h"
#include "os/ExeResources.h"
#include "os/File.h"

namespace lumora {

int64_t TExeUtils::GetFileLength(const String& path) { return FindFileSize(path); }

int64_t TExeUtils::GetExeLength() { return GetFileLength(ExecutablePath()); }

int64_t TExeUtils::GetExeImageLength() { return RunningImageLength(); }

// Copies length bytes from source to target in fixed blocks, reporting the
// running total. The last read is cut to the remaining length, so that a
// signature after the archive stays behind. A source that runs dry before length is reached (the file
// shrank under us) ends the copy with an error instead of looping forever.
void TExeUtils::CopyBlocks(TStream& source, TStream& target, int64_t length, const String& sourcePath) {
  if (OnProgressMax) OnProgressMax(*this, length);
  std::vector<uint8_t> buffer(TExeUtils::kCopyBlockSize);
  int64_t copied = 0;
  while (copied < length) {
    const int64_t got = source.Read(buffer.data(), std::min<int64_t>(TExeUtils::kCopyBlockSize, length - copied));
    if (got <= 0) {
      throw EStreamError(Format(u"Cannot read file \"%s\". It ended after %s of %s bytes",
                                {sourcePath, IntToStr(copied), IntToStr(length)}));
    }
    target.WriteBuffer(buffer.data(), got);
    copied += got;
    // A copy of hundreds of megabytes must not outlast a request to end.
    CheckTermination();
    if (OnProgressPos) OnProgressPos(*this, copied);
  }
}

void TExeUtils::AppendZipToExe(const String& ZipPath, const String& ExePath) {
  TFileStream zip(ZipPath, TFileAccess::Read, TFileShare::None, TFileCreation::OpenExisting);
  TFileStream exe(ExePath, TFileAccess::Write, TFileShare::None, TFileCreation::OpenExisting);
  exe.SetPosition(GetFileLength(ExePath));
  CopyBlocks(zip, exe, GetFileLength(ZipPath), ZipPath);
}

void TExeUtils::ChangeExeIcon(const String& ExePath, const String& IcoPath) {
  CheckResourceUpdateSupported();
  ReplaceMainIcon(ExePath, TIconFile::Load(IcoPath));
}

}  // namespace lumora
