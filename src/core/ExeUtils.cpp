#include "core/ExeUtils.h"

#include <algorithm>
#include <vector>

#include "core/Exception.h"
#include "core/IconFile.h"
#include "core/ImageHeaders.h"
#include "core/Stream.h"
#include "platform/ExeImage.h"
#include "platform/ExeResources.h"
#include "platform/File.h"
#include "platform/MessageBox.h"

namespace lumora {

namespace {

// Copies length bytes from source to target in fixed blocks, reporting the
// running total. The last read is cut to the remaining length, so that a
// signature after the archive stays behind. A source that runs dry before length is reached (the file
// shrank under us) ends the copy with an error instead of looping forever.
void CopyBlocks(TExeUtils& sender, TStream& source, TStream& target, int64_t length,
                const String& sourcePath) {
  if (sender.OnProgressMax) sender.OnProgressMax(sender, length);
  std::vector<uint8_t> buffer(TExeUtils::kCopyBlockSize);
  int64_t copied = 0;
  while (copied < length) {
    const int64_t got = source.Read(
        buffer.data(), std::min<int64_t>(TExeUtils::kCopyBlockSize, length - copied));
    if (got <= 0) {
      throw EStreamError(Format(u"Cannot read file \"%s\". It ended after %s of %s bytes",
                                {sourcePath, IntToStr(copied), IntToStr(length)}));
    }
    target.WriteBuffer(buffer.data(), got);
    copied += got;
    if (sender.OnProgressPos) sender.OnProgressPos(sender, copied);
  }
}

}  // namespace

int64_t TExeUtils::GetFileLength(const String& path) { return FindFileSize(path); }

int64_t TExeUtils::GetExeLength() { return GetFileLength(ExecutablePath()); }

int64_t TExeUtils::GetExeImageLength() { return RunningImageLength(); }

void TExeUtils::ExtractZipFromExe(const String& ZipPath) {
  const int64_t imageEnd = GetExeImageLength();
  // A signed program carries its signature after the archive: the archive
  // ends where the signature starts.
  const int64_t exeLength = GetExeLength();
  const int64_t archiveEnd = AppendedDataEnd(ExecutablePath(), imageEnd);
  const int64_t length =
      (archiveEnd >= 0 && archiveEnd < exeLength ? archiveEnd : exeLength) - imageEnd;
  if (length == 0) {
    ShowMessageBox(u"This is not a valid Windows application", u"Error", mbIconError | mbOk);
    throw EImmediateExit(0);
  }
  TFileStream zip(ZipPath, TFileAccess::ReadWrite, TFileShare::None, TFileCreation::CreateAlways);
  const String exePath = ExecutablePath();
  TFileStream exe(exePath, TFileAccess::Read, TFileShare::None, TFileCreation::OpenExisting);
  exe.SetPosition(imageEnd);
  CopyBlocks(*this, exe, zip, length, exePath);
}

void TExeUtils::AppendZipToExe(const String& ZipPath, const String& ExePath) {
  TFileStream zip(ZipPath, TFileAccess::Read, TFileShare::None, TFileCreation::OpenExisting);
  TFileStream exe(ExePath, TFileAccess::Write, TFileShare::None, TFileCreation::OpenExisting);
  exe.SetPosition(GetFileLength(ExePath));
  CopyBlocks(*this, zip, exe, GetFileLength(ZipPath), ZipPath);
}

void TExeUtils::ChangeExeIcon(const String& ExePath, const String& IcoPath) {
  CheckResourceUpdateSupported();
  ReplaceMainIcon(ExePath, TIconFile::Load(IcoPath));
}

}  // namespace lumora
