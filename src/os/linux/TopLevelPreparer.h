// A step the window backend asks for on the top-level windows this layer
// opens itself (the message boxes), so that they look like the backend's
// own windows. The backend sits above this layer, so it hands the step
// down instead of being called by name.
#pragma once

#include <gtk/gtk.h>

namespace lumora {

using TTopLevelPreparer = void (*)(GtkWindow* window);

// Sets the step run on each such window before it first shows; nullptr
// leaves the windows as the toolkit makes them.
void SetTopLevelPreparer(TTopLevelPreparer preparer);

// Runs the step, if any, on window.
void PrepareTopLevel(GtkWindow* window);

}  // namespace lumora
