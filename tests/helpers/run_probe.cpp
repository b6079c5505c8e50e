// lumora_run_probe: a bare runtime for the tests of "lumora-pack --run". It
// prints where it runs from and each argument on a line of its own, then
// exits with the code the argument "exit=N" names (0 without one), or, given
// "hang", waits to be ended. Started by the shell, where its output goes
// nowhere, it appends the same lines to the file LUMORA_RUN_PROBE_LOG names.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "os/File.h"

int main(int argc, char** argv) {
  const std::string path = lumora::ToUtf8(lumora::ExecutablePath());
  std::printf("path %s\n", path.c_str());
  if (const char* log = std::getenv("LUMORA_RUN_PROBE_LOG")) {
    if (std::FILE* file = std::fopen(log, "a")) {
      std::fprintf(file, "path %s\n", path.c_str());
      for (int i = 1; i < argc; ++i) std::fprintf(file, "arg %s\n", argv[i]);
      std::fclose(file);
    }
  }
  int code = 0;
  bool hang = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    std::printf("arg %s\n", argument.c_str());
    if (argument.starts_with("exit=")) code = std::stoi(argument.substr(5));
    if (argument == "hang") hang = true;
  }
  std::fflush(stdout);
  while (hang) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return code;
}
