// Unnamed files: content with no name until it is complete, linked in over
// an existing file or where there was none, leaving nothing else behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "os/File.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

using test::ReadWholeFile;
using test::TScratchDir;
using test::WriteWholeFile;

size_t EntriesIn(const String& folder) {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(ToUtf8(folder))) ++count;
  return count;
}

TEST(FileLinux, UnnamedContentIsLinkedInOnlyWhenComplete) {
  TScratchDir dir;
  const String target = dir.File(u"notes.txt");
  for (const std::string content : {"first", "second, replacing the first"}) {
    TFileHandle file = TFileHandle::OpenUnnamed(dir.Path());
    ASSERT_TRUE(file.IsOpen()) << ToUtf8(SysErrorMessage(file.OpenError()));
    ASSERT_EQ(file.Write(content.data(), static_cast<int64_t>(content.size())), static_cast<int64_t>(content.size()));
    EXPECT_EQ(EntriesIn(dir.Path()), content == "first" ? 0u : 1u);  // nothing new to see yet
    ASSERT_TRUE(file.LinkAs(target));
    EXPECT_EQ(ReadWholeFile(target), content);
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
  }
  // Dropped before it is linked, the content leaves nothing at all.
  {
    TFileHandle file = TFileHandle::OpenUnnamed(dir.Path());
    ASSERT_TRUE(file.IsOpen());
    file.Write("lost", 4);
  }
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);
  EXPECT_EQ(ReadWholeFile(target), "second, replacing the first");
}

TEST(FileLinux, NewFilesNeverFollowOrReuseAName) {
  TScratchDir dir;
  const String planted = dir.File(u"planted");
  WriteWholeFile(dir.File(u"victim"), "keep");
  std::filesystem::create_symlink(ToUtf8(dir.File(u"victim")), ToUtf8(planted));
  TFileHandle file = TFileHandle::Open(planted, TFileAccess::Write, TFileShare::None, TFileCreation::CreateNew);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_TRUE(IsFileExistsError(file.OpenError()));
  EXPECT_EQ(ReadWholeFile(dir.File(u"victim")), "keep");
}

}  // namespace
}  // namespace lumora
