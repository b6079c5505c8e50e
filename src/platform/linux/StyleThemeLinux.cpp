// The style's look on Linux is the GTK CSS theme and the header bars of
// platform/linux/style/StyledWindowsGtk.h, which the message boxes below this
// layer share.
#include "platform/linux/style/StyledWindowsGtk.h"
#include "platform/StyleTheme.h"

namespace lumora {

void ApplyStyleToWindows(const TStyleDefinition* style) { InstallStyleCss(style); }

}  // namespace lumora
