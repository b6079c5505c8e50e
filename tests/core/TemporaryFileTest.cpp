// Temporary files: exclusive creation under random names, the folder of each
// program, and what a start-up takes for stale.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "core/TemporaryFile.h"
#include "os/File.h"
#include "os/SysUtils.h"
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
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(ToUtf8(TSysUtils::GetTemporalDir())))) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }
};

TEST_F(TemporaryFileTest, NewFilesAreCreatedExclusivelyUnderFreshNames) {
  std::set<String> paths;
  for (int i = 0; i < 20; ++i) {
    TTemporaryFile file = CreateTemporaryFile(TSysUtils::GetTemporalDir(), u".exe");
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

TEST_F(TemporaryFileTest, OnlyWhatNobodyHoldsIsStale) {
  const String folder = TSysUtils::GetTemporalDir();
  // Left by programs that ended outright: a folder with its free lock, and
  // a folder whose lock a start-up removed before it was killed too.
  std::filesystem::create_directory(std::filesystem::path(ToUtf8(folder + u"lumora-KilledProg")));
  WriteWholeFile(folder + u"lumora-KilledProg.lock", "");
  WriteWholeFile(folder + u"lumora-KilledProg/Opened.pdf", "a document a page opened");
  std::filesystem::create_directory(std::filesystem::path(ToUtf8(folder + u"lumora-HalfRemove")));
  // Not the programs' own, whatever their names: left alone.
  WriteWholeFile(folder + u"Backupcopy.archive", "another program's archive");
  WriteWholeFile(folder + u"backup.archive", "another program's archive");
  WriteWholeFile(folder + u"Extracted.exe", "a program a page runs");
  WriteWholeFile(folder + u"Noextension", "an entry without an extension");
  WriteWholeFile(folder + u"other.lock", "");
  std::filesystem::create_directory(std::filesystem::path(ToUtf8(folder + u"lumora-elsewhere")));
  const std::set<std::string> others{"Extracted.exe",    "Noextension",    "other.lock",
                                     "lumora-elsewhere", "backup.archive", "Backupcopy.archive"};
  {
    TProgramFolder running;
    TTemporaryFile copy = CreateTemporaryFile(running.Path(), kArchiveCopyExtension, true);
    TTemporaryFile opened = CreateTemporaryFile(running.Path(), u".txt");
    const std::string name = std::filesystem::path(ToUtf8(running.Path())).parent_path().filename().string();
    EXPECT_EQ(RemoveStaleTemporaryFiles(), 2);
    std::set<std::string> expected = others;
    expected.insert({name, name + ".lock"});
    EXPECT_EQ(Names(), expected);
    EXPECT_TRUE(FileExists(copy.Path) && FileExists(opened.Path));
    EXPECT_EQ(RemoveStaleTemporaryFiles(), 0);
  }
  // Gone with its program, whatever was in it.
  EXPECT_EQ(Names(), others);
}

}  // namespace
}  // namespace lumora
