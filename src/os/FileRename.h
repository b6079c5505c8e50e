// Moving a finished file into place in one step, so readers see the old
// file or the new one, never a half-written one.
#pragma once

#include "base/String.h"

namespace lumora {

// Renames source to target in the same folder, replacing a file already at
// target. False on failure, with the reason in LastOsError().
bool RenameReplacing(const String& source, const String& target);

}  // namespace lumora
