// Files and folders, one implementation per backend (FileLinux.cpp,
// FileWin32.cpp). No OS header leaks out of this interface.
#pragma once

#include <cstdint>

#include "base/Stream.h"
#include "base/String.h"

namespace lumora {

enum class TFileAccess { Read, Write, ReadWrite };
// Which other openers are allowed meanwhile. On Linux sharing is advisory
// only and not enforced.
enum class TFileShare { None, Read, ReadWrite };
// CreateAlways replaces an existing file; OpenExisting fails without one;
// CreateNew makes a new file and fails when one exists (IsFileExistsError).
// On Linux neither follows a symbolic link at the last path component, and
// new files get mode 0600.
enum class TFileCreation { CreateAlways, OpenExisting, CreateNew };

// The platform's error code of the last failed call on this thread.
uint32_t LastOsError();
// The platform's text for an error code, without a trailing line end.
String SysErrorMessage(uint32_t code);

// Whether an open error says that a file of that name exists already.
bool IsFileExistsError(uint32_t code);

// An open file; closes it when destroyed. Movable, not copyable.
class TFileHandle {
 public:
  TFileHandle() = default;
  ~TFileHandle();
  TFileHandle(TFileHandle&& other) noexcept;
  TFileHandle& operator=(TFileHandle&& other) noexcept;
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;

  // Never throws: check IsOpen() and OpenError().
  static TFileHandle Open(const String& path, TFileAccess access, TFileShare share, TFileCreation creation);

  // An open file in folder that has no name yet (Linux: O_TMPFILE), for
  // content no one may see, nor find left over, before it is complete.
  // Not open where the platform or the file system has no such files
  // (Windows; some Linux file systems): OpenError then says why.
  static TFileHandle OpenUnnamed(const String& folder);

  bool IsOpen() const { return FHandle != kInvalid; }
  uint32_t OpenError() const { return FOpenError; }
  // Each returns -1 on failure, with the reason in LastOsError().
  int64_t Read(void* buffer, int64_t count);
  int64_t Write(const void* buffer, int64_t count);
  // origin: 0 from the start, 1 from the current position, 2 from the end.
  int64_t Seek(int64_t offset, int origin);
  int64_t Size();
  bool Truncate(int64_t size);
  // Gives a file opened by OpenUnnamed the name target, replacing a file
  // there in one step. False on failure, with the reason in LastOsError().
  bool LinkAs(const String& target);
  // Holds the file for this process for as long as the handle stays open,
  // so that DeleteFileUnlessHeld leaves it alone. Linux: an exclusive
  // flock, waiting while another process is deciding about the file.
  // Windows: a handle without delete sharing holds the file already.
  bool LockExclusive();
  // Whether path (not following a link) still names this open file.
  bool IsNamedBy(const String& path);
  // Gives the file the permissions of a file written in place of path:
  // those of the file there now (Linux: its mode, and its owner and group
  // where this process may set them), else those of a new file under the
  // process's umask. Windows: files take their folder's, nothing to do.
  // False on failure, with the reason in LastOsError().
  bool TakePermissionsFor(const String& path);

 private:
  static constexpr intptr_t kInvalid = -1;
  intptr_t FHandle = kInvalid;
  uint32_t FOpenError = 0;
};

// The path a write to path lands on: when path is a symbolic link, the
// path its target names, followed link by link (Linux; at most 40, as the
// kernel does), whether that target exists or not. path itself otherwise,
// and on Windows.
String FinalLinkTarget(const String& path);
// True when a file (not a directory) exists at path.
bool FileExists(const String& path);
// True when a directory exists at path (links followed).
bool DirectoryExists(const String& path);
// Makes the folder path, whose parent must exist: true when this call
// made it. False on failure, with the reason in LastOsError()
// (IsFileExistsError when something of that name is there already).
bool CreateFolder(const String& path);
// Removes path and, when it is a folder, everything in it; a link inside
// goes as a link, what it names stays. True when nothing is left at path.
bool RemoveTree(const String& path);
// Lets an existing file be started as a program. On Linux this sets the
// owner's execute bit; on Windows the extension decides and nothing changes.
bool MarkRunnable(const String& path);
// False where the file system holding path forbids starting programs from
// it (mounted noexec on Linux); true when that cannot be told.
bool FolderRunsPrograms(const String& path);
// Requests deletion of a file; true on success.
bool DeleteFilePath(const String& path);
// Deletes the file at path unless a running process holds it
// (TFileHandle::LockExclusive); true when it was deleted.
bool DeleteFileUnlessHeld(const String& path);
// The size in bytes of the first directory entry that matches path (a
// find-first lookup, every attribute allowed), or -1 when none matches.
int64_t FindFileSize(const String& path);
// The running executable's full path.
String ExecutablePath();
// Sleeps the calling thread.
void SleepMilliseconds(uint32_t milliseconds);
// Case-insensitive comparison under the user's locale, as the platform does
// it for file names and lists.
bool SameTextLocale(const String& a, const String& b);

// A stream over a file. Opening fails with EFCreateError ("Cannot create
// file ...") for TFileCreation::CreateAlways and with EFOpenError ("Cannot
// open file ...") otherwise, both naming the path and the platform's reason.
class TFileStream final : public TStream {
 public:
  TFileStream(const String& path, TFileAccess access, TFileShare share, TFileCreation creation);

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override;
  void SetSize(int64_t size) override;

  const String& FileName() const { return FFileName; }

 private:
  String FFileName;
  TFileHandle FHandle;
};

}  // namespace lumora
