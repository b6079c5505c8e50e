// The modal save-file dialog the main window offers downloads with.
#pragma once

#include "base/String.h"

namespace lumora {

// Shows the dialog with filter ("description|pattern"), the default
// extension (without its dot, added to a name typed without one) and
// fileName offered; true with fileName set to the chosen path when the
// user confirmed.
bool RunSaveDialog(const String& filter, const String& defaultExt, String& fileName);

}  // namespace lumora
