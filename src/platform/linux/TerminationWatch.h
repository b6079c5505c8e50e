// The termination signals' wake-up for GLib loops. The signal handler
// notes the request (core/TerminationRequest.h) and writes to a pipe; a
// watch on the pipe becomes ready once a signal arrived and stays ready
// after, so every loop that must end on it (the main loop, each modal
// loop) adds its own watch and removes it when done.
#pragma once

#include <glib-unix.h>

#include <functional>

namespace lumora {

// Catches SIGTERM, SIGINT and SIGHUP from now on. Safe to call more than
// once.
void CatchTerminationSignals();

// Adds a watch to the default main context; 0 when there is nothing to
// watch (CatchTerminationSignals was not called). The callback should
// return G_SOURCE_REMOVE: the source stays ready.
guint AddTerminationWatch(GUnixFDSourceFunc callback, gpointer data);

// A watch for the life of one modal loop: calls onRequest once when a
// termination request arrives while the loop runs (or arrived before, and
// the loop is entered anyway).
class TTerminationWatch {
 public:
  explicit TTerminationWatch(std::function<void()> onRequest);
  ~TTerminationWatch();
  TTerminationWatch(const TTerminationWatch&) = delete;
  TTerminationWatch& operator=(const TTerminationWatch&) = delete;

 private:
  std::function<void()> FOnRequest;
  guint FSource = 0;
};

}  // namespace lumora
