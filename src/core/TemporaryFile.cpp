#include "core/TemporaryFile.h"

#include <vector>

#include "base/Exception.h"
#include "core/StrUtils.h"
#include "os/SysUtils.h"

namespace lumora {

namespace {

// Ten letters from a uniform source collide only when something plants
// names on purpose; this many draws in a row end that.
constexpr int kMostDraws = 100;

constexpr StringView kProgramFolderPrefix = u"lumora-";
constexpr StringView kLockExtension = u".lock";

String FileNameOf(StringView path) {
  const size_t separator = path.find_last_of(u"/\\");
  return String(separator == StringView::npos ? path : path.substr(separator + 1));
}

// Removes folder with everything in it, quietly (no platform dialog):
// true when it is gone.
bool RemoveFolder(const String& folder) { return RemoveTree(folder) && !DirectoryExists(folder); }

// Whether name is prefix, ten ASCII letters and extension, as
// CreateTemporaryFile names files.
bool IsRandomName(StringView name, StringView prefix, StringView extension) {
  if (name.size() != prefix.size() + 10 + extension.size() || !name.starts_with(prefix) || !name.ends_with(extension)) {
    return false;
  }
  for (const char16_t c : name.substr(prefix.size(), 10)) {
    if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))) return false;
  }
  return true;
}

bool IsProgramFolderName(StringView name) { return IsRandomName(name, kProgramFolderPrefix, {}); }

}  // namespace

TProgramFolder::TProgramFolder() {
  const String temporary = TSysUtils::GetTemporalDir();
  for (int draw = 0; draw < kMostDraws; ++draw) {
    // The folder comes only after its lock is held, so a folder whose lock
    // is gone is always stale.
    TTemporaryFile lock = CreateTemporaryFile(temporary, kLockExtension, true, kProgramFolderPrefix);
    const String base = lock.Path.substr(0, lock.Path.size() - kLockExtension.size());
    if (CreateFolder(base)) {
      FPath = IncludeTrailingPathDelimiter(base);
      FLockPath = std::move(lock.Path);
      FLock = std::move(lock.File);
      return;
    }
    const uint32_t error = LastOsError();
    lock.File = TFileHandle();
    DeleteFilePath(lock.Path);
    if (!IsFileExistsError(error)) {
      throw EFCreateError(Format(u"Cannot create the folder \"%s\". %s", {base, SysErrorMessage(error)}));
    }
    // A leftover of the same name: draw again.
  }
  throw EFCreateError(Format(u"Cannot create a folder in the temporary folder \"%s\".", {temporary}));
}

TProgramFolder::~TProgramFolder() {
  // The folder first: while the lock stays, nobody takes the folder for
  // stale half-way through.
  RemoveFolder(FPath.substr(0, FPath.size() - 1));
  FLock = TFileHandle();
  DeleteFilePath(FLockPath);
}

TTemporaryFile CreateTemporaryFile(const String& folder, StringView extension, bool hold, StringView prefix) {
  uint32_t error = 0;
  for (int draw = 0; draw < kMostDraws; ++draw) {
    String path = folder + String(prefix) + TStrUtils::RandomString(10) + String(extension);
    TFileHandle file = TFileHandle::Open(path, TFileAccess::ReadWrite, TFileShare::ReadWrite, TFileCreation::CreateNew);
    if (!file.IsOpen()) {
      error = file.OpenError();
      if (IsFileExistsError(error)) continue;
      throw EFCreateError(Format(u"Cannot create file \"%s\". %s", {path, SysErrorMessage(error)}));
    }
    if (hold) {
      // Another start-up may have taken the new, not yet held file for a
      // stale one and deleted it before it was held: then draw again.
      file.LockExclusive();
      if (!file.IsNamedBy(path)) continue;
    }
    return {std::move(path), std::move(file)};
  }
  throw EFCreateError(Format(u"Cannot create a file in the folder \"%s\". %s", {folder, SysErrorMessage(error)}));
}

int RemoveStaleTemporaryFiles() {
  std::vector<String> entries;
  TSysUtils::GetDirectoryFiles(TSysUtils::GetTemporalDir(), true, entries);
  int removed = 0;
  for (const String& path : entries) {
    const String name = FileNameOf(path);
    if (DirectoryExists(path)) {
      // A folder outlives its lock only when its program ended while a
      // start-up was removing it: the lock is deleted first.
      if (IsProgramFolderName(name) && !FileExists(path + String(kLockExtension)) && RemoveFolder(path)) {
        ++removed;
      }
    } else if (IsRandomName(name, kProgramFolderPrefix, kLockExtension)) {
      const String folder = path.substr(0, path.size() - kLockExtension.size());
      if (DeleteFileUnlessHeld(path)) {
        RemoveFolder(folder);
        ++removed;
      }
    }
    // Anything else belongs to another program, whatever its name: the
    // temporary folder is shared (on Windows, by every program of the user).
  }
  return removed;
}

int RemoveUnheldFiles(const String& folder, StringView prefix, StringView extension) {
  std::vector<String> files;
  TSysUtils::GetDirectoryFiles(folder, false, files);
  int removed = 0;
  for (const String& path : files) {
    if (IsRandomName(FileNameOf(path), prefix, extension) && DeleteFileUnlessHeld(path)) ++removed;
  }
  return removed;
}

}  // namespace lumora
