// The file stream: the OS layer's file handle behind the stream interface.
#include "os/File.h"

#include "base/Exception.h"

namespace lumora {

namespace {

TFileHandle OpenOrRaise(const String& path, TFileAccess access, TFileShare share, TFileCreation creation) {
  TFileHandle handle = TFileHandle::Open(path, access, share, creation);
  if (!handle.IsOpen()) {
    const String reason = SysErrorMessage(handle.OpenError());
    if (creation == TFileCreation::CreateAlways) {
      throw EFCreateError(Format(u"Cannot create file \"%s\". %s", {path, reason}));
    }
    throw EFOpenError(Format(u"Cannot open file \"%s\". %s", {path, reason}));
  }
  return handle;
}

}  // namespace

TFileStream::TFileStream(const String& path, TFileAccess access, TFileShare share, TFileCreation creation)
    : FFileName(path), FHandle(OpenOrRaise(path, access, share, creation)) {}

int64_t TFileStream::Read(void* buffer, int64_t count) {
  const int64_t n = FHandle.Read(buffer, count);
  if (n < 0) throw EStreamError(ToUtf8(SysErrorMessage(LastOsError())));
  return n;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
  const int64_t n = FHandle.Write(buffer, count);
  if (n < 0) throw EStreamError(ToUtf8(SysErrorMessage(LastOsError())));
  return n;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  const int64_t n = FHandle.Seek(offset, static_cast<int>(origin));
  if (n < 0) throw EStreamError(ToUtf8(SysErrorMessage(LastOsError())));
  return n;
}

int64_t TFileStream::Size() {
  const int64_t n = FHandle.Size();
  if (n < 0) throw EStreamError(ToUtf8(SysErrorMessage(LastOsError())));
  return n;
}

void TFileStream::SetSize(int64_t size) {
  if (!FHandle.Truncate(size)) throw EStreamError(ToUtf8(SysErrorMessage(LastOsError())));
}

}  // namespace lumora
