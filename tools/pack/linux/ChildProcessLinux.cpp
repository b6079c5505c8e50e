// The preview program on Linux: posix_spawn and waitpid, with SIGINT,
// SIGTERM and SIGHUP passed on to it.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>

#include "core/Exception.h"
#include "pack/ChildProcess.h"

extern char** environ;

namespace lumora {

namespace {

constexpr int kPassedOn[] = {SIGINT, SIGTERM, SIGHUP};

// What a signal handler may touch: the signal received and the program
// waited for (0 when there is none).
volatile sig_atomic_t gSignal = 0;
std::atomic<pid_t> gChild{0};
static_assert(std::atomic<pid_t>::is_always_lock_free);

struct sigaction gPrevious[std::size(kPassedOn)];

extern "C" void PassOn(int signal) {
  gSignal = signal;
  const pid_t child = gChild.load();
  if (child > 0) ::kill(child, signal);
}

}  // namespace

TChildProcess::TInterruptGuard::TInterruptGuard() {
  struct sigaction action {};
  action.sa_handler = PassOn;
  ::sigemptyset(&action.sa_mask);
  for (size_t i = 0; i < std::size(kPassedOn); ++i) {
    ::sigaction(kPassedOn[i], nullptr, &gPrevious[i]);
    // Ignored when the packer started (nohup), ignored by the program too,
    // which inherits that.
    if (gPrevious[i].sa_handler != SIG_IGN) ::sigaction(kPassedOn[i], &action, nullptr);
  }
}

TChildProcess::TInterruptGuard::~TInterruptGuard() {
  for (size_t i = 0; i < std::size(kPassedOn); ++i) ::sigaction(kPassedOn[i], &gPrevious[i], nullptr);
}

int TChildProcess::TInterruptGuard::Interrupted() { return gSignal == 0 ? 0 : 128 + gSignal; }

int TChildProcess::Run(const String& program, const std::vector<String>& arguments) {
  std::vector<std::string> texts{ToUtf8(program)};
  for (const String& argument : arguments) texts.push_back(ToUtf8(argument));
  std::vector<char*> argv;
  for (std::string& text : texts) argv.push_back(text.data());
  argv.push_back(nullptr);

  pid_t child = 0;
  const int error = ::posix_spawn(&child, texts[0].c_str(), nullptr, nullptr, argv.data(), environ);
  if (error != 0) {
    throw Exception(Format(u"Cannot start \"%s\". %s", {program, FromUtf8(std::strerror(error))}));
  }
  gChild.store(child);
  // A request that came before the program was known to the handler.
  if (gSignal != 0) ::kill(child, gSignal);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  gChild.store(0);
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 1;
}

}  // namespace lumora
