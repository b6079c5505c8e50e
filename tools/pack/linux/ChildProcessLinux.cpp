// The preview program on Linux: posix_spawn and waitpid, with SIGINT,
// SIGTERM and SIGHUP passed on to it.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>

#include "base/Exception.h"
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

bool TChildProcess::CanAskToReload() { return true; }

int TChildProcess::Run(const String& program, const std::vector<String>& arguments, const TEnvironment& environment,
                       const std::function<bool()>& everyTick) {
  std::vector<std::string> texts{ToUtf8(program)};
  for (const String& argument : arguments) texts.push_back(ToUtf8(argument));
  std::vector<char*> argv;
  for (std::string& text : texts) argv.push_back(text.data());
  argv.push_back(nullptr);

  std::vector<std::string> added;
  for (const auto& [name, value] : environment) added.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    const std::string_view text(*variable);
    const bool replaced = std::any_of(environment.begin(), environment.end(),
                                      [&](const auto& pair) { return text.starts_with(pair.first + "="); });
    if (!replaced) envp.push_back(*variable);
  }
  for (std::string& variable : added) envp.push_back(variable.data());
  envp.push_back(nullptr);

  // A reload request that comes before the program has set up its handler
  // must not end it: an ignored signal stays ignored across exec until the
  // program takes it.
  if (everyTick) ::signal(SIGUSR2, SIG_IGN);
  pid_t child = 0;
  const int error = ::posix_spawn(&child, texts[0].c_str(), nullptr, nullptr, argv.data(), envp.data());
  if (error != 0) {
    throw Exception(Format(u"Cannot start \"%s\". %s", {program, FromUtf8(std::strerror(error))}));
  }
  gChild.store(child);
  // A request that came before the program was known to the handler.
  if (gSignal != 0) ::kill(child, gSignal);
  int status = 0;
  if (everyTick) {
    constexpr timespec kTick{0, 250'000'000};
    for (;;) {
      const pid_t ended = ::waitpid(child, &status, WNOHANG);
      if (ended == child || (ended < 0 && errno != EINTR)) break;
      if (gSignal == 0 && everyTick()) ::kill(child, SIGUSR2);
      ::nanosleep(&kTick, nullptr);
    }
  } else {
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  }
  gChild.store(0);
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 1;
}

}  // namespace lumora
