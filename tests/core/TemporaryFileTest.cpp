// Temporary files: exclusive creation under random names, and which archive
// copies a start-up takes for stale.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "core/TemporaryFile.h"
#include "core/os/File.h"
#include "core/os/SysUtils.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

using test::TScopedEnv;
using test::TScratchDir;
using test::WriteWholeFile;

// The temporary folder of the backend, moved into a scratch folder.
class TemporaryFileTest : public ::testing::Test {
 protected:
  TScratchDir FScratch;
  TScopedEnv FRuntime{"XDG_RUNTIME_DIR", ToUtf8(FScratch.Path())};
  TScopedEnv FTmp{"TMP", ToUtf8(FScratch.Path())};
  TScopedEnv FTemp{"TEMP", ToUtf8(FScratch.Path())};

  std::set<std::string> Names() {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(ToUtf8(TSysUtils::GetTemporalDir())))) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }
};

TEST_F(TemporaryFileTest, NewFilesAreCreatedExclusivelyUnderFreshNames) {
  std::set<String> paths;
  for (int i = 0; i < 20; ++i) {
    TTemporaryFile file = CreateTemporaryFile(u".exe");
    ASSERT_TRUE(file.File.IsOpen());
    EXPECT_TRUE(paths.insert(file.Path).second);
    const std::string name = std::filesystem::path(ToUtf8(file.Path)).filename().string();
    EXPECT_EQ(name.size(), 14u);
    EXPECT_EQ(name.substr(10), ".exe");
  }
  // A name that exists is never opened again as new.
  const String taken = *paths.begin();
  EXPECT_FALSE(TFileHandle::Open(taken, TFileAccess::Write, TFileShare::ReadWrite, TFileCreation::CreateNew).IsOpen());
  TFileHandle again = TFileHandle::Open(taken, TFileAccess::Write, TFileShare::ReadWrite, TFileCreation::CreateNew);
  EXPECT_TRUE(IsFileExistsError(again.OpenError()));
}

TEST_F(TemporaryFileTest, OnlyArchiveCopiesNobodyHoldsAreStale) {
  const String folder = TSysUtils::GetTemporalDir();
  WriteWholeFile(folder + u"Killedcopy.archive", "left by a killed program");
  WriteWholeFile(folder + u"Extracted.exe", "a program a page runs");
  WriteWholeFile(folder + u"Noextension", "an entry without an extension");
  {
    TTemporaryFile running = CreateTemporaryFile(kArchiveCopyExtension, true);
    const std::string runningName = std::filesystem::path(ToUtf8(running.Path)).filename().string();
    EXPECT_EQ(RemoveStaleArchiveCopies(), 1);
    EXPECT_EQ(Names(), (std::set<std::string>{"Extracted.exe", "Noextension", runningName}));
    EXPECT_FALSE(DeleteFileUnlessHeld(running.Path));
  }
  // Its holder gone, the copy is stale too.
  EXPECT_EQ(RemoveStaleArchiveCopies(), 1);
  EXPECT_EQ(Names(), (std::set<std::string>{"Extracted.exe", "Noextension"}));
}

}  // namespace
}  // namespace lumora
