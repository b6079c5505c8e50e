#include "core/CommandLineParams.h"

#include "os/CommandLine.h"
#include "os/File.h"

namespace lumora {

size_t TCommandLineParams::NextParam(StringView commandLine, size_t position, String& param) {
  const auto at = [&](size_t i) -> char16_t { return i < commandLine.size() ? commandLine[i] : 0; };
  for (;;) {
    while (at(position) != 0 && at(position) <= u' ') ++position;
    if (at(position) == u'"' && at(position + 1) == u'"') {
      position += 2;
    } else {
      break;
    }
  }
  param.clear();
  while (at(position) > u' ') {
    if (at(position) == u'"') {
      ++position;
      while (at(position) != 0 && at(position) != u'"') param.push_back(at(position++));
      if (at(position) != 0) ++position;
    } else {
      param.push_back(at(position++));
    }
  }
  return position;
}

int32_t TCommandLineParams::ParamCountOf(StringView commandLine) {
  String param;
  size_t position = NextParam(commandLine, 0, param);  // the program's name
  int32_t count = 0;
  for (;;) {
    position = NextParam(commandLine, position, param);
    if (param.empty()) return count;
    ++count;
  }
}

String TCommandLineParams::ParamStrOf(StringView commandLine, int32_t index) {
  if (index < 0) return {};
  String param;
  size_t position = 0;
  for (;;) {
    position = NextParam(commandLine, position, param);
    if (index == 0 || param.empty()) return param;
    --index;
  }
}

int32_t TCommandLineParams::ParamCount() { return ParamCountOf(RawCommandLine()); }

String TCommandLineParams::ParamStr(int32_t index) {
  if (index == 0) return ExecutablePath();
  return ParamStrOf(RawCommandLine(), index);
}

String TCommandLineParams::JoinCommandLine(const std::vector<String>& arguments) {
  return lumora::JoinCommandLine(arguments);
}

}  // namespace lumora
