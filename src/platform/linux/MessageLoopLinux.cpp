// The GTK main loop.
//
// A termination request (SIGTERM from a session ending or from kill,
// SIGINT from a terminal, SIGHUP from a closed terminal) ends the loop like
// the last window closing would, so the program still releases what it
// holds and deletes its temporary files on the way out.
#include <glib-unix.h>
#include <gtk/gtk.h>

#include <csignal>
#include <cstdio>
#include <initializer_list>

#include "platform/MessageLoop.h"

namespace lumora {

namespace {

// Set once a termination request arrived: a loop that has not started yet
// then does not start.
bool TerminationRequested = false;

gboolean OnTerminationSignal(gpointer) {
  TerminationRequested = true;
  TerminateMessageLoop();
  return G_SOURCE_CONTINUE;
}

void WatchTerminationSignals() {
  static bool watching = false;
  if (watching) return;
  watching = true;
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    g_unix_signal_add(signal, OnTerminationSignal, nullptr);
  }
}

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
  WatchTerminationSignals();
  gdk_event_handler_set(HandleEvent, nullptr, nullptr);
  return true;
}

void RunMessageLoop() {
  if (!TerminationRequested) gtk_main();
}

void TerminateMessageLoop() {
  if (gtk_main_level() > 0) gtk_main_quit();
}

}  // namespace lumora
