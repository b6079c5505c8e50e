// What the GTK backends do for the active style on each of their windows.
#pragma once

#include <gtk/gtk.h>

namespace lumora {

// While a style is active, gives a decorated top-level window that is not
// yet realised a header bar as its title bar, showing its title and the
// caption buttons its resizable flag and type hint allow; the style's CSS
// draws it and the window's frame. Does nothing otherwise, or when the
// window already has its title bar.
void StyleWindowBeforeShow(GtkWindow* window);

}  // namespace lumora
