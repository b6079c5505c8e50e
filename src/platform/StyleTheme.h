// Putting the active style on the program's windows.
#pragma once

#include "core/style/StyleDefinition.h"

namespace lumora {

// Draws every window of the process in style from now on; none restores
// the platform's own look. On Linux windows realised before the call keep
// their decorations; the main window applies its style before it shows.
void ApplyStyleToWindows(const TStyleDefinition* style);

}  // namespace lumora
