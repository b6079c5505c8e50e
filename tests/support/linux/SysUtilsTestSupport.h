// Helpers of the Linux system-utility tests: waiting for something another
// process or thread does, and running a check in a fresh process.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "support/TestSupport.h"

namespace lumora::test {

// A scratch folder that the new run of a test started by
// LUMORA_EXPECT_IN_FRESH_PROCESS finds again: that run starts the test from
// its beginning, and the environment hands it the first run's folder
// instead of a new one.
class TSharedScratch {
 public:
  TSharedScratch() {
    if (const char* inherited = std::getenv(kVariable)) {
      FPath = inherited;
    } else {
      FOwn.emplace();
      FPath = ToUtf8(FOwn->Path());
      ::setenv(kVariable, FPath.c_str(), 1);
    }
  }
  ~TSharedScratch() {
    if (FOwn) ::unsetenv(kVariable);
  }
  TSharedScratch(const TSharedScratch&) = delete;
  TSharedScratch& operator=(const TSharedScratch&) = delete;

  const std::string& Path() const { return FPath; }

 private:
  static constexpr const char* kVariable = "LUMORA_TEST_SHARED_SCRATCH";
  std::optional<TScratchDir> FOwn;
  std::string FPath;
};

// Runs statement in a new run of the test program, which exits 0 when the
// statement returns true. GLib reads some settings (XDG folders, the
// session bus) once per process, so checks that change them run there. The
// new process runs the test from its start, so the environment the test set
// up before is there too; files it made go in a TSharedScratch.
#define LUMORA_EXPECT_IN_FRESH_PROCESS(statement)                                  \
  do {                                                                             \
    GTEST_FLAG_SET(death_test_style, "threadsafe");                                \
    EXPECT_EXIT(std::exit((statement) ? 0 : 1), ::testing::ExitedWithCode(0), ""); \
  } while (false)

}  // namespace lumora::test
