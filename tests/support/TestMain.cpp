// The main of every test program. Each runs with a temporary folder of its
// own, made fresh below the system's and removed when the program ends, so
// test programs running at once (and the end-to-end scripts beside them)
// never see each other's temporary files: on Windows the runtime's copies
// go below %TEMP%, which under Wine is one folder for the whole prefix.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/TestSupport.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const lumora::test::TScratchDir temp;
  namespace fs = std::filesystem;
  const fs::path folder(temp.Path());
#ifdef _WIN32
  const std::string path = folder.string();
  const lumora::test::TScopedEnv tmp("TMP", path), tempVariable("TEMP", path);
#else
  // Others may pass through but not list it: tests that run a step as
  // another user hand that user a folder below it. The runtime's own
  // folder is private, as it wants it.
  fs::permissions(folder, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::replace);
  const fs::path runtime = folder / "run";
  fs::create_directory(runtime);
  fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
  const lumora::test::TScopedEnv tmp("TMPDIR", folder.string()), runtimeVariable("XDG_RUNTIME_DIR", runtime.string());
#endif
  return RUN_ALL_TESTS();
}
