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
  const std::filesystem::path folder(temp.Path());
  // Private to this user, as the runtime wants its folders.
  std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::replace);
  const std::string path = folder.string();
#ifdef _WIN32
  const lumora::test::TScopedEnv tmp("TMP", path), tempVariable("TEMP", path);
#else
  const lumora::test::TScopedEnv tmp("TMPDIR", path), runtime("XDG_RUNTIME_DIR", path);
#endif
  return RUN_ALL_TESTS();
}
