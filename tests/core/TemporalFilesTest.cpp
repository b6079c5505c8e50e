// The temporary-file list: registration rules and deletion at the end.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "core/TemporalFiles.h"
#include "os/File.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

using test::TScratchDir;
using test::WriteWholeFile;

TEST(TemporalFiles, KeepsTheFirstSpellingOfEachPath) {
  TTemporalFiles list;
  list.Add(u"C:/Temp/AbCdEfGhIj");
  list.Add(u"c:/temp/abcdefghij");
  list.Add(u"C:/Temp/AbCdEfGhIj");
  list.Add(u"C:/Temp/\u00C9t\u00E9");
  list.Add(u"c:/temp/\u00E9T\u00C9");
  EXPECT_EQ(list.Files(), (std::vector<String>{u"C:/Temp/AbCdEfGhIj", u"C:/Temp/\u00C9t\u00E9"}));
}

TEST(TemporalFiles, DeletesFilesInOrderAndPassesOverTheRest) {
  TScratchDir dir;
  const String a = dir.File(u"a"), b = dir.File(u"b"), c = dir.File(u"c");
  for (const String& path : {a, b, c}) WriteWholeFile(path, "x");
  const String folder = dir.File(u"folder");
  std::filesystem::create_directory(std::filesystem::path(folder));
  const auto started = std::chrono::steady_clock::now();
  {
    TTemporalFiles list;
    list.Add(a);
    list.Add(dir.File(u"never-created"));
    list.Add(folder);
    list.Add(b);
    list.Add(c);
  }
  const auto elapsed = std::chrono::steady_clock::now() - started;
  for (const String& path : {a, b, c}) EXPECT_FALSE(FileExists(path));
  EXPECT_TRUE(DirectoryExists(folder));
  // Each existing file costs the pause after its deletion request.
  EXPECT_GE(elapsed, std::chrono::milliseconds(300));
}

TEST(TemporalFiles, GivesUpOnAFileThatWillNotGo) {
  // On Windows a file held open without delete sharing cannot be deleted;
  // the list must not keep the process alive for ever waiting for it.
  TScratchDir dir;
  const String file = dir.File(u"held");
  WriteWholeFile(file, "x");
  TFileHandle held = TFileHandle::Open(file, TFileAccess::Read, TFileShare::None, TFileCreation::OpenExisting);
  ASSERT_TRUE(held.IsOpen());
  const auto started = std::chrono::steady_clock::now();
  {
    TTemporalFiles list;
    list.SetGiveUpMilliseconds(500);
    list.Add(file);
  }
  if (!FileExists(file)) GTEST_SKIP() << "this platform deletes files that are open";
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

}  // namespace
}  // namespace lumora
