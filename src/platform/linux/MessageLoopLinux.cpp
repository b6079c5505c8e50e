// The GTK main loop.
//
// A termination request (SIGTERM from a session ending or from kill,
// SIGINT from a terminal, SIGHUP from a closed terminal) ends the loop like
// the last window closing would, so the program still releases what it
// holds and deletes its temporary files on the way out. The signals are
// caught from the start of the process: the handler notes the request
// (start-up's long steps test it between blocks) and wakes whichever GLib
// loop runs (platform/linux/TerminationWatch.h): the main loop here, a modal
// loop through its own watch (platform/linux/ModalDialog.h, the password dialog).
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <signal.h>

#include <cstdio>

#include "core/TerminationRequest.h"
#include "platform/linux/TerminationWatch.h"
#include "platform/MessageLoop.h"

namespace lumora {

void WatchTerminationSignals() { CatchTerminationSignals(); }

namespace {

// GDK's one event handler: key events pass the pre-dispatch hook first.
void HandleEvent(GdkEvent* event, gpointer) {
  const bool key = event->type == GDK_KEY_PRESS || event->type == GDK_KEY_RELEASE;
  if (key && PreDispatchKeyMessage(event)) return;
  gtk_main_do_event(event);
}

}  // namespace

bool InitializeWindowing() {
  if (!gtk_init_check(nullptr, nullptr)) {
    std::fprintf(stderr, "cannot open the display\n");
    return false;
  }
  static bool watched = false;
  if (!watched) {
    watched = true;
    WatchTerminationSignals();
    AddTerminationWatch(
        +[](gint, GIOCondition, gpointer) -> gboolean {
          TerminateMessageLoop();
          return G_SOURCE_REMOVE;
        },
        nullptr);
  }
  gdk_event_handler_set(HandleEvent, nullptr, nullptr);
  return true;
}

void WatchReloadRequests(void (*onReload)()) {
  g_unix_signal_add(
      SIGUSR2,
      +[](gpointer data) -> gboolean {
        reinterpret_cast<void (*)()>(data)();
        return G_SOURCE_CONTINUE;
      },
      reinterpret_cast<gpointer>(onReload));
}

void WatchSessionEnd(void (*)()) {}

void RunMessageLoop() {
  if (!TerminationRequested()) gtk_main();
}

void TerminateMessageLoop() {
  if (gtk_main_level() > 0) gtk_main_quit();
}

}  // namespace lumora
