// The command line on Linux: the process's arguments, read back from
// /proc/self/cmdline (NUL-separated, as the kernel keeps them) and joined
// with Windows quoting.
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "os/CommandLine.h"

namespace lumora {

String RawCommandLine() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<String> arguments;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\0', start);
    if (end == std::string::npos) end = bytes.size();
    arguments.push_back(FromUtf8(std::string_view(bytes).substr(start, end - start)));
    start = end + 1;
  }
  return JoinCommandLine(arguments);
}

}  // namespace lumora
