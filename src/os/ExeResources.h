// Rewriting the resources of an executable file. Only Windows has the
// resource-update functions; elsewhere every operation raises
// EResourceUpdateError "Only supported on Windows NT and above".
#pragma once

#include <vector>

#include "base/String.h"

namespace lumora {

// Raises when this platform cannot update an executable's resources.
void CheckResourceUpdateSupported();

// Replaces the icon group "MAINICON" of the executable at exePath with the
// images of icon, the bytes of a valid icon file: the old group and its
// images go (each in its own language), the images become icon resources
// 1 to n and the new group lists them, all in language 1033. Any failure
// before the final write leaves the file as it was. Raises
// EResourceUpdateError naming the failed step and the platform's code.
void ReplaceMainIcon(const String& exePath, const std::vector<uint8_t>& icon);

}  // namespace lumora
