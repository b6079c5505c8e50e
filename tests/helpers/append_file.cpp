// lumora_append ARCHIVE EXECUTABLE: appends ARCHIVE to EXECUTABLE the way
// packaged programs are made, printing the progress events it receives.
#include <cstdio>
#include <exception>

#include "core/ExeUtils.h"
#include "PrintProgress.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: lumora_append ARCHIVE EXECUTABLE\n");
    return 2;
  }
  lumora::TExeUtils utils;
  lumora::test::PrintProgressEvents(utils);
  try {
    utils.AppendZipToExe(lumora::FromUtf8(argv[1]), lumora::FromUtf8(argv[2]));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
