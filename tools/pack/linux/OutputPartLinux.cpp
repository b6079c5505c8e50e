// A request to end the packer while it writes the program: the part is
// deleted in the signal handler, and the signal then takes its default
// action, so that whoever started the packer sees it ended by the signal
// (a shell: 128 + its number).
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <iterator>

#include "pack/OutputPart.h"

namespace lumora {

namespace {

constexpr int kEndRequests[] = {SIGINT, SIGTERM, SIGHUP};

// What the handler may touch: the part's path (null when there is none).
std::atomic<const char*> gPartPath{nullptr};
static_assert(std::atomic<const char*>::is_always_lock_free);

extern "C" void RemovePartAndEnd(int signal) {
  if (const char* path = gPartPath.load()) ::unlink(path);
  // SA_RESETHAND put the default action back: raised again, the signal
  // ends the process once this handler returns.
  ::raise(signal);
}

}  // namespace

TOutputPart::TRemoveOnInterrupt::TRemoveOnInterrupt(const String& path) : FPath(ToUtf8(path)) {
  gPartPath.store(FPath.c_str());
  struct sigaction action {};
  action.sa_handler = RemovePartAndEnd;
  action.sa_flags = SA_RESETHAND;
  ::sigemptyset(&action.sa_mask);
  for (const int signal : kEndRequests) {
    // Only where the default action would end the packer: a signal it was
    // started with ignored (nohup) stays ignored, and one the preview run
    // handles stays with it.
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
      ::sigaction(signal, &action, nullptr);
    }
  }
}

TOutputPart::TRemoveOnInterrupt::~TRemoveOnInterrupt() {
  gPartPath.store(nullptr);
  struct sigaction current {};
  for (const int signal : kEndRequests) {
    if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == RemovePartAndEnd) {
      ::signal(signal, SIG_DFL);
    }
  }
}

}  // namespace lumora
