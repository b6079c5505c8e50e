// The visual style of the system's windows: a thin layer over the style
// engine (core/style/StyleEngine.h).
#pragma once

#include "base/String.h"
#include "core/StringList.h"
#include "core/style/Bitmap32.h"

namespace lumora {

class TStylesUtils {
 public:
  // Makes the named style active (case ignored under the user's locale);
  // with no such style the active one stays and, when showError is set,
  // "Style '%s' not found" is shown with the error icon and a Close button.
  static void TrySetStyle(const String& themeName, bool showError);
  // The text of that box: "Style '%s' not found" with the name as given.
  static String StyleNotFoundText(const String& themeName);
  // Replaces list's contents with every style name in the engine's order,
  // then sets its sorted mode to sorted.
  static void GetAvailables(TStringList& list, bool sorted);
  static String GetActiveTheme();
  // Draws a sample window of the named style, captioned with its name, as a
  // 32-bit picture of targetImage's client size. Raises for "Windows"
  // ("Not available \"Windows\" preview.") and for an unknown name.
  static void DrawThemePreview(const String& themeName, TImage& targetImage);
};

}  // namespace lumora
