// On Windows the style is drawn by the windows themselves, each asking
// the active style as it paints (platform/win32/style/StyledFrameWin32.h): a
// change only needs them redrawn.
#include "platform/win32/style/StyledFrameWin32.h"
#include "platform/StyleTheme.h"

namespace lumora {

void ApplyStyleToWindows(const TStyleDefinition*) { RestyleThreadWindows(); }

}  // namespace lumora
