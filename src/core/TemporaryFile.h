// Files of the private temporary folder: created exclusively under random
// names in the folder of the program that made them, and what programs
// killed or crashed left behind.
#pragma once

#include "base/String.h"
#include "os/File.h"

namespace lumora {

// The extension of the site archive's temporary copy, inside the program's
// own folder.
inline constexpr StringView kArchiveCopyExtension = u".archive";

struct TTemporaryFile {
  String Path;
  TFileHandle File;  // open for reading and writing, shared for both
};

// The folder of one running program inside the temporary folder, where
// every temporary file of that program goes: "lumora-" and ten random
// letters, beside the lock file of the same name with ".lock", which the
// program holds (TFileHandle::LockExclusive) for as long as the folder
// lives. A folder whose lock nobody holds belongs to a program that no
// longer runs, whatever ended it, and the next start removes it
// (RemoveStaleTemporaryFiles).
class TProgramFolder {
 public:
  // Raises EFCreateError when no folder can be made.
  TProgramFolder();
  // Removes the folder with everything in it, then its lock.
  ~TProgramFolder();
  TProgramFolder(const TProgramFolder&) = delete;
  TProgramFolder& operator=(const TProgramFolder&) = delete;

  // With a trailing separator.
  const String& Path() const { return FPath; }

 private:
  String FPath;
  String FLockPath;
  TFileHandle FLock;
};

// A new, empty file in folder (with its trailing separator), named by
// prefix, ten random letters and extension (with its dot; empty for none).
// It is created exclusively: a name that exists is a collision, and another
// name is drawn. With hold, the file is held (TFileHandle::LockExclusive)
// for as long as File stays open, so that DeleteFileUnlessHeld leaves it
// alone. Raises EFCreateError when no file can be created.
TTemporaryFile CreateTemporaryFile(const String& folder, StringView extension, bool hold = false,
                                   StringView prefix = {});

// Removes from the temporary folder what no running program holds: the
// folders of programs that ended without removing theirs (their lock is
// free, or gone). Nothing else there is touched. Returns how many went.
int RemoveStaleTemporaryFiles();

// Deletes the files in folder that CreateTemporaryFile named with prefix
// and extension and that nobody holds; returns how many went.
int RemoveUnheldFiles(const String& folder, StringView prefix, StringView extension);

}  // namespace lumora
