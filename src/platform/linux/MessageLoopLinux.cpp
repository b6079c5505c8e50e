// The GTK main loop.
#include <gtk/gtk.h>

#include <cstdio>

#include "platform/MessageLoop.h"

namespace lumora {

bool InitializeWindowing() {
  if (gtk_init_check(nullptr, nullptr)) return true;
  std::fprintf(stderr, "cannot open the display\n");
  return false;
}

void RunMessageLoop() { gtk_main(); }

void TerminateMessageLoop() {
  if (gtk_main_level() > 0) gtk_main_quit();
}

}  // namespace lumora
