// The GLib main loop as WaitUntil's step (support/TestSupport.h), for the
// Linux tests that wait for what the loop delivers.
#pragma once

#include <glib.h>

namespace lumora::test {

// One pass of the default main context; a millisecond's rest when nothing
// was ready, so that waiting does not spin.
inline void RunMainLoopOnce() {
  if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(1000);
}

}  // namespace lumora::test
