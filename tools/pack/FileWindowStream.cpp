#include "pack/FileWindowStream.h"

#include <algorithm>

#include "base/Exception.h"

namespace lumora {

TFileWindowStream::TFileWindowStream(const String& path, int64_t start, int64_t end)
    : FFile(path, TFileAccess::Read, TFileShare::ReadWrite, TFileCreation::OpenExisting),
      FStart(start),
      FEnd(end < 0 ? FFile.Size() : end) {
  FFile.SetPosition(FStart);
}

int64_t TFileWindowStream::Read(void* buffer, int64_t count) {
  const int64_t left = FEnd - FFile.Position();
  return left <= 0 ? 0 : FFile.Read(buffer, std::min(count, left));
}

int64_t TFileWindowStream::Write(const void*, int64_t) {
  throw EStreamError(std::string("Stream write error: the archive is opened read-only"));
}

void TFileWindowStream::SetSize(int64_t) {
  throw EStreamError(std::string("Stream write error: the archive is opened read-only"));
}

int64_t TFileWindowStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t target = offset;
  if (origin == TSeekOrigin::Current) target += FFile.Position() - FStart;
  if (origin == TSeekOrigin::End) target += Size();
  if (target < 0) throw EStreamError(std::string("Stream seek error: before the archive's start"));
  return FFile.Seek(FStart + target, TSeekOrigin::Beginning) - FStart;
}

}  // namespace lumora
