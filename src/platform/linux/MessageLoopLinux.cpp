// The GTK main loop.
//
// A termination request (SIGTERM from a session ending or from kill,
// SIGINT from a terminal, SIGHUP from a closed terminal) ends the loop like
// the last window closing would, so the program still releases what it
// holds and deletes its temporary files on the way out. The signals are
// caught from the start of the process: the handler notes the request
// (start-up's long steps test it between blocks) and writes to a pipe, which
// wakes whichever GLib loop runs (the main loop, the password dialog's).
#include <fcntl.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <initializer_list>

#include "core/TerminationRequest.h"
#include "platform/MessageLoop.h"
#include "platform/linux/TerminationWatch.h"

namespace lumora {

namespace {

int WakeRead = -1;
int WakeWrite = -1;

extern "C" void OnTerminationSignal(int) {
  const int saved = errno;
  RequestTermination();
  const char byte = 1;
  if (WakeWrite >= 0 && ::write(WakeWrite, &byte, 1) < 0) {
    // Full or closed: a request is pending already, or nobody listens.
  }
  errno = saved;
}

}  // namespace

void WatchTerminationSignals() {
  static bool watching = false;
  if (watching) return;
  watching = true;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
    WakeRead = fds[0];
    WakeWrite = fds[1];
  }
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

namespace {

// GDK's one event handler: key events pass the pre-dispatch hook first.
void HandleEvent(GdkEvent* event, gpointer) {
  const bool key = event->type == GDK_KEY_PRESS || event->type == GDK_KEY_RELEASE;
  if (key && PreDispatchKeyMessage(event)) return;
  gtk_main_do_event(event);
}

}  // namespace

guint AddTerminationWatch(GUnixFDSourceFunc callback, gpointer data) {
  return WakeRead < 0 ? 0 : g_unix_fd_add(WakeRead, G_IO_IN, callback, data);
}

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

void RunMessageLoop() {
  if (!TerminationRequested()) gtk_main();
}

void TerminateMessageLoop() {
  if (gtk_main_level() > 0) gtk_main_quit();
}

}  // namespace lumora
