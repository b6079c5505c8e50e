// Files of the private temporary folder: created exclusively under random
// names, and the archive copies that programs killed or crashed left.
#pragma once

#include "core/String.h"
#include "core/os/File.h"

namespace lumora {

// The extension of the site archive's temporary copy, by which a start-up
// tells archive copies from the other temporary files.
inline constexpr StringView kArchiveCopyExtension = u".archive";

struct TTemporaryFile {
  String Path;
  TFileHandle File;  // open for reading and writing, shared for both
};

// A new, empty file in the temporary folder, named by ten random letters
// and extension (with its dot; empty for none). It is created exclusively:
// a name that exists is a collision, and another name is drawn. With hold,
// the file is held (TFileHandle::LockExclusive) for as long as File stays
// open, so that RemoveStaleArchiveCopies leaves it alone. Raises
// EFCreateError when no file can be created.
TTemporaryFile CreateTemporaryFile(StringView extension, bool hold = false);

// Deletes every archive copy in the temporary folder that no running
// program holds, and returns how many went.
int RemoveStaleArchiveCopies();

}  // namespace lumora
