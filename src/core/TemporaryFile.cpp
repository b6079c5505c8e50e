#include "core/TemporaryFile.h"

#include <vector>

#include "core/Exception.h"
#include "core/StrUtils.h"
#include "core/os/SysUtils.h"

namespace lumora {

namespace {

// Ten letters from a uniform source collide only when something plants
// names on purpose; this many draws in a row end that.
constexpr int kMostDraws = 100;

}  // namespace

TTemporaryFile CreateTemporaryFile(StringView extension, bool hold) {
  const String folder = TSysUtils::GetTemporalDir();
  uint32_t error = 0;
  for (int draw = 0; draw < kMostDraws; ++draw) {
    String path = folder + TStrUtils::RandomString(10) + String(extension);
    TFileHandle file = TFileHandle::Open(path, TFileAccess::ReadWrite, TFileShare::ReadWrite,
                                         TFileCreation::CreateNew);
    if (!file.IsOpen()) {
      error = file.OpenError();
      if (IsFileExistsError(error)) continue;
      throw EFCreateError(Format(u"Cannot create file \"%s\". %s", {path, SysErrorMessage(error)}));
    }
    if (hold) {
      // Another start-up may have taken the new, not yet held file for a
      // stale one and deleted it before the lock: then draw again.
      file.LockExclusive();
      if (!file.IsNamedBy(path)) continue;
    }
    return {std::move(path), std::move(file)};
  }
  throw EFCreateError(Format(u"Cannot create a file in the temporary folder \"%s\". %s",
                             {folder, SysErrorMessage(error)}));
}

int RemoveStaleArchiveCopies() {
  std::vector<String> files;
  TSysUtils::GetDirectoryFiles(TSysUtils::GetTemporalDir(), false, files);
  int removed = 0;
  for (const String& path : files) {
    const bool archiveCopy = path.size() > kArchiveCopyExtension.size() &&
                             StringView(path).substr(path.size() - kArchiveCopyExtension.size()) ==
                                 kArchiveCopyExtension;
    if (archiveCopy && DeleteFileUnlessHeld(path)) ++removed;
  }
  return removed;
}

}  // namespace lumora
