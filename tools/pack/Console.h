// The packer's console: lines of text on standard output and standard error
// (UTF-8, also on Windows), and the few file facts that differ by system.
#pragma once

#include "base/String.h"

namespace lumora {

class TConsole {
 public:
  TConsole() = delete;

  // Sets the console up for UTF-8 output; call once at start.
  static void Initialize();
  static void Out(StringView line);
  static void Error(StringView line);
  // Writes text to standard error without a line end, for a progress bar
  // that redraws itself.
  static void ErrorRaw(StringView text);
  static bool ErrorIsTerminal();

  // Lets everyone who may read the file run it (Linux); nothing on Windows,
  // where the extension decides.
  static void MakeExecutable(const String& path);
};

}  // namespace lumora
