// lumora_extract_probe OUTPUT: copies the archive appended to this very
// program into OUTPUT, printing the progress events it receives. The tests
// append bytes to a copy of it and compare what comes out.
#include <cstdio>
#include <exception>

#include "base/Exception.h"
#include "core/ExeUtils.h"
#include "PrintProgress.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: lumora_extract_probe OUTPUT\n");
    return 2;
  }
  lumora::TExeUtils utils;
  lumora::test::PrintProgressEvents(utils);
  try {
    utils.ExtractZipFromExe(lumora::FromUtf8(argv[1]));
  } catch (const lumora::EImmediateExit& request) {
    std::printf("immediate exit %d\n", request.ExitCode());
    return request.ExitCode();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
