// Files and folders on Linux through POSIX calls.
#include <fcntl.h>
#include <glib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "os/File.h"
#include "os/Random.h"

namespace lumora {

uint32_t LastOsError() { return static_cast<uint32_t>(errno); }

String SysErrorMessage(uint32_t code) { return FromUtf8(std::strerror(static_cast<int>(code))); }

bool IsFileExistsError(uint32_t code) { return code == EEXIST; }

namespace {

// Whether the open file fd is the one path names (links not followed).
bool SameFile(int fd, const std::string& path) {
  struct stat open {
  }, named{};
  return ::fstat(fd, &open) == 0 && ::lstat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
         open.st_ino == named.st_ino;
}

}  // namespace

TFileHandle::~TFileHandle() {
  if (IsOpen()) ::close(static_cast<int>(FHandle));
}

TFileHandle::TFileHandle(TFileHandle&& other) noexcept : FHandle(other.FHandle), FOpenError(other.FOpenError) {
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

TFileHandle TFileHandle::Open(const String& path, TFileAccess access, TFileShare /*share*/, TFileCreation creation) {
  int flags = O_CLOEXEC | O_NOFOLLOW;
  switch (access) {
    case TFileAccess::Read:
      flags |= O_RDONLY;
      break;
    case TFileAccess::Write:
      flags |= O_WRONLY;
      break;
    case TFileAccess::ReadWrite:
      flags |= O_RDWR;
      break;
  }
  if (creation == TFileCreation::CreateAlways) flags |= O_CREAT | O_TRUNC;
  if (creation == TFileCreation::CreateNew) flags |= O_CREAT | O_EXCL;
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

TFileHandle TFileHandle::OpenUnnamed(const String& folder) {
  TFileHandle handle;
  const int fd = ::open(ToUtf8(folder).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd < 0) {
    handle.FOpenError = LastOsError();
    return handle;
  }
  handle.FHandle = fd;
  return handle;
}

bool TFileHandle::LinkAs(const String& target) {
  const std::string self = "/proc/self/fd/" + std::to_string(FHandle);
  const std::string name = ToUtf8(target);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
  if (errno != EEXIST) return false;
  // A file is there already, and a link never replaces one: the content
  // gets a fresh name beside it, which rename puts in its place at once.
  for (int draw = 0; draw < 100; ++draw) {
    const std::string sibling = name + "." + ToUtf8(RandomLetters(8)) + ".tmp";
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, sibling.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    if (::rename(sibling.c_str(), name.c_str()) == 0) return true;
    const int error = errno;
    ::unlink(sibling.c_str());
    errno = error;
    return false;
  }
  errno = EEXIST;
  return false;
}

bool TFileHandle::LockExclusive() {
  for (;;) {
    if (::flock(static_cast<int>(FHandle), LOCK_EX) == 0) return true;
    if (errno != EINTR) return false;
  }
}

bool TFileHandle::IsNamedBy(const String& path) { return SameFile(static_cast<int>(FHandle), ToUtf8(path)); }

namespace {

// The process's umask, read where reading it changes nothing for the
// other threads (setting it to read it would).
mode_t CurrentUmask() {
  if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
    char line[256];
    unsigned mask = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, status)) found = std::sscanf(line, "Umask: %o", &mask) == 1;
    std::fclose(status);
    if (found) return static_cast<mode_t>(mask);
  }
  return 022;
}

}  // namespace

bool TFileHandle::TakePermissionsFor(const String& path) {
  const int fd = static_cast<int>(FHandle);
  struct stat existing {};
  if (::stat(ToUtf8(path).c_str(), &existing) != 0 || !S_ISREG(existing.st_mode)) {
    return ::fchmod(fd, 0666 & ~CurrentUmask()) == 0;
  }
  struct stat own {};
  if (::fstat(fd, &own) == 0 && (own.st_uid != existing.st_uid || own.st_gid != existing.st_gid)) {
    // Only root may give a file away, and only a member may pass it to a
    // group: otherwise the file becomes the writer's, as an editor's does.
    if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
      [[maybe_unused]] const int groupOnly = ::fchown(fd, static_cast<uid_t>(-1), existing.st_gid);
    }
  }
  // After the owner: changing it clears the set-user-ID bits.
  return ::fchmod(fd, existing.st_mode & 07777) == 0;
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
    const ssize_t n = ::write(static_cast<int>(FHandle), bytes + done, static_cast<size_t>(count - done));
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

bool TFileHandle::Truncate(int64_t size) { return ::ftruncate(static_cast<int>(FHandle), size) == 0; }

String FinalLinkTarget(const String& path) {
  std::string current = ToUtf8(path);
  for (int hop = 0; hop < 40; ++hop) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
    std::string target(PATH_MAX, '\0');
    const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
    if (n <= 0) break;
    target.resize(static_cast<size_t>(n));
    // A relative target counts from the link's own folder.
    if (target[0] != '/') {
      const size_t slash = current.rfind('/');
      if (slash != std::string::npos) target = current.substr(0, slash + 1) + target;
    }
    current = std::move(target);
  }
  return FromUtf8(current);
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

bool CreateFolder(const String& path) { return ::mkdir(ToUtf8(path).c_str(), 0777) == 0; }

// remove_all removes a symbolic link inside as the link.
bool RemoveTree(const String& path) {
  const std::filesystem::path name(ToUtf8(path));
  std::error_code ignored;
  std::filesystem::remove_all(name, ignored);
  return !std::filesystem::exists(std::filesystem::symlink_status(name, ignored));
}

bool DeleteFileUnlessHeld(const String& path) {
  const std::string name = ToUtf8(path);
  const int fd = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  bool deleted = false;
  // The lock is free only when no process holds the file. Only the file
  // that was checked goes, not one put under its name meanwhile.
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && SameFile(fd, name)) deleted = ::unlink(name.c_str()) == 0;
  ::close(fd);
  return deleted;
}

bool MarkRunnable(const String& path) {
  struct stat info {};
  const std::string name = ToUtf8(path);
  if (::stat(name.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  return ::chmod(name.c_str(), (info.st_mode & 07777) | S_IXUSR) == 0;
}

bool FolderRunsPrograms(const String& path) {
  struct statvfs info {};
  return ::statvfs(ToUtf8(path).c_str(), &info) != 0 || (info.f_flag & ST_NOEXEC) == 0;
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

void SleepMilliseconds(uint32_t milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

bool SameTextLocale(const String& a, const String& b) {
  gchar* foldedA = g_utf8_casefold(ToUtf8(a).c_str(), -1);
  gchar* foldedB = g_utf8_casefold(ToUtf8(b).c_str(), -1);
  const bool same = std::strcmp(foldedA, foldedB) == 0;
  g_free(foldedA);
  g_free(foldedB);
  return same;
}

}  // namespace lumora
