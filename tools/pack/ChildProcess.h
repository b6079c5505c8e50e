// The program "lumora-pack --run" starts: run and waited for, with requests
// to end the packer (Ctrl+C, termination) passed on to it, so that the
// packer lives on to remove the program afterwards.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/String.h"

namespace lumora {

class TChildProcess {
 public:
  TChildProcess() = delete;

  // While it lives, a request to end the packer does not end it: it is
  // remembered, and passed on to the program Run is waiting for.
  class TInterruptGuard {
   public:
    TInterruptGuard();
    ~TInterruptGuard();
    TInterruptGuard(const TInterruptGuard&) = delete;
    TInterruptGuard& operator=(const TInterruptGuard&) = delete;

    // The exit code that stands for the request received so far (128 + the
    // signal's number on Linux, the interrupted code on Windows), or 0.
    static int Interrupted();
  };

  // Starts program with arguments, the packer's own standard streams and
  // environment (with environment added), and waits for it to end. Its exit code, or 128 + the
  // signal's number when a signal ended it (Linux). Raises an Exception
  // when it cannot be started.
  // environment: variables set for the program on top of the packer's own.
  using TEnvironment = std::vector<std::pair<std::string, std::string>>;
  // everyTick, when given, is called a few times a second while the
  // program runs; when it returns true the program is asked to reload its
  // site (Linux: SIGUSR2; Windows programs cannot be asked, see
  // CanAskToReload).
  static int Run(const String& program, const std::vector<String>& arguments, const TEnvironment& environment = {},
                 const std::function<bool()>& everyTick = {});

  // Whether a program of this system can be asked to reload its site.
  static bool CanAskToReload();
};

}  // namespace lumora
