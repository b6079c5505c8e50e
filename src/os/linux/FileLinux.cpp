// Files and folders on Linux through POSIX calls.
#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "core/os/File.h"

namespace lumora {

uint32_t LastOsError() { return static_cast<uint32_t>(errno); }

String SysErrorMessage(uint32_t code) { return FromUtf8(std::strerror(static_cast<int>(code))); }

TFileHandle::~TFileHandle() {
  if (IsOpen()) ::close(static_cast<int>(FHandle));
}

TFileHandle::TFileHandle(TFileHandle&& other) noexcept
    : FHandle(other.FHandle), FOpenError(other.FOpenError) {
  other.FHandle = kInvalid;
}

TFileHandle& TFileHandle::operator=(TFileHandle&& other) noexcept {
  if (this != &other) {
    if (IsOpen()) ::close(static_cast<int>(FHandle));
    FHandle = other.FHandle;
    FOpenError = other.FOpenError;
    other.FHandle = kInvalid;
  }
  return *this;
}

TFileHandle TFileHandle::Open(const String& path, TFileAccess access, TFileShare /*share*/,
                              TFileCreation creation) {
  int flags = O_CLOEXEC | O_NOFOLLOW;
  switch (access) {
    case TFileAccess::Read: flags |= O_RDONLY; break;
    case TFileAccess::Write: flags |= O_WRONLY; break;
    case TFileAccess::ReadWrite: flags |= O_RDWR; break;
  }
  if (creation == TFileCreation::CreateAlways) flags |= O_CREAT | O_TRUNC;
  TFileHandle handle;
  const int fd = ::open(ToUtf8(path).c_str(), flags, 0600);
  if (fd < 0) {
    handle.FOpenError = LastOsError();
    return handle;
  }
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    handle.FOpenError = EISDIR;
    return handle;
  }
  handle.FHandle = fd;
  return handle;
}

int64_t TFileHandle::Read(void* buffer, int64_t count) {
  for (;;) {
    const ssize_t n = ::read(static_cast<int>(FHandle), buffer, static_cast<size_t>(count));
    if (n >= 0 || errno != EINTR) return n;
  }
}

int64_t TFileHandle::Write(const void* buffer, int64_t count) {
  const auto* bytes = static_cast<const char*>(buffer);
  int64_t done = 0;
  while (done < count) {
    const ssize_t n =
        ::write(static_cast<int>(FHandle), bytes + done, static_cast<size_t>(count - done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    done += n;
  }
  return done;
}

int64_t TFileHandle::Seek(int64_t offset, int origin) {
  static constexpr int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  return ::lseek(static_cast<int>(FHandle), offset, kWhence[origin]);
}

int64_t TFileHandle::Size() {
  struct stat info {};
  if (::fstat(static_cast<int>(FHandle), &info) != 0) return -1;
  return info.st_size;
}

bool TFileHandle::Truncate(int64_t size) {
  return ::ftruncate(static_cast<int>(FHandle), size) == 0;
}

bool FileExists(const String& path) {
  struct stat info {};
  return ::stat(ToUtf8(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(const String& path) {
  struct stat info {};
  return ::stat(ToUtf8(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool DeleteFilePath(const String& path) { return ::unlink(ToUtf8(path).c_str()) == 0; }

bool MarkRunnable(const String& path) {
  struct stat info {};
  const std::string name = ToUtf8(path);
  if (::stat(name.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  return ::chmod(name.c_str(), (info.st_mode & 07777) | S_IXUSR) == 0;
}

int64_t FindFileSize(const String& path) {
  // A directory entry lookup, like a find-first search: the entry itself,
  // links not followed.
  struct stat info {};
  if (::lstat(ToUtf8(path).c_str(), &info) != 0) return -1;
  return info.st_size;
}

String ExecutablePath() {
  std::string buffer(4096, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (n <= 0) return {};
  buffer.resize(static_cast<size_t>(n));
  return FromUtf8(buffer);
}

void SleepMilliseconds(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool SameTextLocale(const String& a, const String& b) {
  gchar* foldedA = g_utf8_casefold(ToUtf8(a).c_str(), -1);
  gchar* foldedB = g_utf8_casefold(ToUtf8(b).c_str(), -1);
  const bool same = std::strcmp(foldedA, foldedB) == 0;
  g_free(foldedA);
  g_free(foldedB);
  return same;
}

}  // namespace lumora
