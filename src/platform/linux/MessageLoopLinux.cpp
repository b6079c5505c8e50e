// The GTK main loop.
#include <gtk/gtk.h>

#include "platform/MessageLoop.h"

namespace lumora {

bool InitializeWindowing() { return gtk_init_check(nullptr, nullptr); }

void RunMessageLoop() { gtk_main(); }

void TerminateMessageLoop() {
  if (gtk_main_level() > 0) gtk_main_quit();
}

}  // namespace lumora
