#include "platform/linux/TerminationWatch.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <initializer_list>
#include <utility>

#include "core/TerminationRequest.h"

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

void CatchTerminationSignals() {
  static bool catching = false;
  if (catching) return;
  catching = true;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
    WakeRead = fds[0];
    WakeWrite = fds[1];
  }
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    // A signal the program was started with ignored stays ignored: under
    // nohup the end of the terminal's session is not the program's end.
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
    ::sigaction(signal, &action, nullptr);
  }
}

guint AddTerminationWatch(GUnixFDSourceFunc callback, gpointer data) {
  return WakeRead < 0 ? 0 : g_unix_fd_add(WakeRead, G_IO_IN, callback, data);
}

TTerminationWatch::TTerminationWatch(std::function<void()> onRequest) : FOnRequest(std::move(onRequest)) {
  FSource = AddTerminationWatch(
      +[](gint, GIOCondition, gpointer data) -> gboolean {
        auto* self = static_cast<TTerminationWatch*>(data);
        self->FSource = 0;
        self->FOnRequest();
        return G_SOURCE_REMOVE;
      },
      this);
}

TTerminationWatch::~TTerminationWatch() {
  if (FSource != 0) g_source_remove(FSource);
}

}  // namespace lumora
