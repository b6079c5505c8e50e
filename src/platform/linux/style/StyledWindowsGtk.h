// The active style on the GTK windows of the process: a CSS theme for all
// of them, and a header bar drawn in the style on each top-level window.
// Below the window backend, so that the message boxes of this layer get
// the same look as the backend's windows.
#pragma once

#include <gtk/gtk.h>

#include "core/style/StyleDefinition.h"

namespace lumora {

// Installs style's CSS for every window of the default screen, replacing
// the one before; none removes it (the toolkit's own look again).
void InstallStyleCss(const TStyleDefinition* style);

// While a style is installed, gives a decorated top-level window that is
// not yet realised a header bar as its title bar, showing its title and
// the caption buttons its resizable flag and type hint allow; the style's
// CSS draws it and the window's frame. Does nothing otherwise, or when the
// window already has its title bar.
void StyleWindowBeforeShow(GtkWindow* window);

}  // namespace lumora
