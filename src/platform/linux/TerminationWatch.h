// The termination signals' wake-up for GLib loops: a source that becomes
// ready once a termination signal arrived (and stays ready after). Each
// loop that must end on it adds its own watch and removes it when done.
#pragma once

#include <glib-unix.h>

namespace lumora {

// Adds a watch to the default main context; 0 when there is nothing to
// watch (WatchTerminationSignals was not called). The callback should
// return G_SOURCE_REMOVE: the source stays ready.
guint AddTerminationWatch(GUnixFDSourceFunc callback, gpointer data);

}  // namespace lumora
