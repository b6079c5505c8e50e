// MoveFileExW with MOVEFILE_REPLACE_EXISTING replaces the target in one
// step on the same volume; write-through waits until it is on disk.
#include <windows.h>

#include "os/FileRename.h"
#include "os/win32/WideString.h"

namespace lumora {

bool RenameReplacing(const String& source, const String& target) {
  return ::MoveFileExW(Wide(source).c_str(), Wide(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

}  // namespace lumora
