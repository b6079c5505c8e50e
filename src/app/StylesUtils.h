// The visual style of the system's windows. Only the native look,
// "Windows", is available so far.
#pragma once

#include "core/String.h"

namespace lumora {

class TStylesUtils {
 public:
  // Makes the named style active (case ignored); with no such style the
  // active one stays and, when showError is set, "Style '%s' not found" is
  // shown.
  static void TrySetStyle(const String& themeName, bool showError);
  static String GetActiveTheme();
};

}  // namespace lumora
