// The program's arguments as the runtime library splits its command line:
// ParamCount and ParamStr, over the platform's raw command line
// (os/CommandLine.h), plus the joining the Linux backend uses to
// rebuild such a command line from separate arguments.
#pragma once

#include <cstdint>
#include <vector>

#include "base/String.h"

namespace lumora {

class TCommandLineParams {
 public:
  TCommandLineParams() = delete;

  // How many arguments follow the program's name on the running process's
  // command line.
  static int32_t ParamCount();
  // 0: the running executable's full path. 1 to ParamCount: that argument.
  // Any other index: the empty text.
  static String ParamStr(int32_t index);

  // The same over a given command line (its first argument being the
  // program's name). Splitting: leading characters up to the blank (code
  // 32 or less) are skipped, and so is an empty pair of quotes before an
  // argument; an argument then runs to the first such character outside
  // double quotes; the quotes group and are dropped. Counting stops at the
  // first empty argument, which is where the text ends.
  static int32_t ParamCountOf(StringView commandLine);
  // Argument index of commandLine, 0 being the program's name as written
  // there; the empty text when there is none.
  static String ParamStrOf(StringView commandLine, int32_t index);

  // The OS layer's JoinCommandLine (os/CommandLine.h).
  static String JoinCommandLine(const std::vector<String>& arguments);

 private:
  // Reads the argument starting at position (after skipping what comes
  // before it) into param; returns the position after it.
  static size_t NextParam(StringView commandLine, size_t position, String& param);
};

}  // namespace lumora
