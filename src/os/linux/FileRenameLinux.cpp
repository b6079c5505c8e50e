// rename() replaces the target atomically within one file system.
#include <cstdio>

#include "os/FileRename.h"

namespace lumora {

bool RenameReplacing(const String& source, const String& target) {
  return std::rename(ToUtf8(source).c_str(), ToUtf8(target).c_str()) == 0;
}

}  // namespace lumora
