// The system utilities whose behaviour is the same on both backends.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/Exception.h"
#include "base/Stream.h"
#include "core/StrUtils.h"
#include "os/File.h"
#include "os/Locale.h"
#include "os/SysUtils.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

using test::ReadWholeFile;
using test::TScratchDir;
using test::WriteWholeFile;

String Joined(const String& folder, StringView name) { return IncludeTrailingPathDelimiter(folder) + String(name); }

void MakeFolder(const String& path) { std::filesystem::create_directories(std::filesystem::path(path)); }

TEST(SysUtilsTest, SizeOfFileIsMinusOneZeroOrTheFull64BitSize) {
  TScratchDir scratch;
  EXPECT_EQ(TSysUtils::GetSizeOfFile(scratch.File(u"missing.bin")), -1);

  WriteWholeFile(scratch.File(u"empty.bin"), "");
  EXPECT_EQ(TSysUtils::GetSizeOfFile(scratch.File(u"empty.bin")), 0);

  // Sparse on the file systems the tests run on, so it costs no disk.
  const int64_t big = (int64_t{5} << 30) + 3;
  {
    TFileStream file(scratch.File(u"big.bin"), TFileAccess::Write, TFileShare::None, TFileCreation::CreateAlways);
    file.SetSize(big);
  }
  EXPECT_EQ(TSysUtils::GetSizeOfFile(scratch.File(u"big.bin")), big);
}

TEST(SysUtilsTest, RemovesOnlyALeadingUtf8ByteOrderMark) {
  struct TCase {
    std::string Before;
    std::string After;
  };
  const TCase cases[] = {
      {"\xEF\xBB\xBFhello\r\nworld", "hello\r\nworld"},
      {"\xEF\xBB\xBF", ""},
      {"\xEF\xBB\xBF\xEF\xBB\xBFx", "\xEF\xBB\xBFx"},  // one mark, once
      {"abc", "abc"},
      {"\xEF\xBBx", "\xEF\xBBx"},
      {"a\xEF\xBB\xBF", "a\xEF\xBB\xBF"},
      {std::string(3, '\0') + "tail", std::string(3, '\0') + "tail"},
  };
  TScratchDir scratch;
  for (const TCase& c : cases) {
    const String path = scratch.File(u"text.txt");
    WriteWholeFile(path, c.Before);
    TSysUtils::RemoveUTFBoomFromFile(path);
    EXPECT_EQ(ReadWholeFile(path), c.After) << "for " << ::testing::PrintToString(c.Before);
  }
}

TEST(SysUtilsTest, ByteOrderMarkRemovalRaisesForShortAndMissingFiles) {
  TScratchDir scratch;
  for (const std::string& content : {std::string(), std::string("ab"), std::string("\xEF\xBB")}) {
    const String path = scratch.File(u"short.txt");
    WriteWholeFile(path, content);
    EXPECT_THROW(TSysUtils::RemoveUTFBoomFromFile(path), EStreamError);
    EXPECT_EQ(ReadWholeFile(path), content);
  }
  EXPECT_THROW(TSysUtils::RemoveUTFBoomFromFile(scratch.File(u"missing.txt")), EFOpenError);
}

TEST(SysUtilsTest, ByteOrderMarkRemovalKeepsALargeFileIntact) {
  TScratchDir scratch;
  std::string body(3 * 1024 * 1024 + 17, '\0');
  for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 7 + i / 251);
  const String path = scratch.File(u"large.txt");
  WriteWholeFile(path, "\xEF\xBB\xBF" + body);
  TSysUtils::RemoveUTFBoomFromFile(path);
  EXPECT_TRUE(ReadWholeFile(path) == body);
}

TEST(SysUtilsTest, DirectoryFilesListFoldersFirstThenFilesOneLevelDeep) {
  TScratchDir scratch;
  const String root = scratch.File(u"root");
  MakeFolder(Joined(root, u"sub one"));
  MakeFolder(Joined(root, u"sub2"));
  WriteWholeFile(Joined(Joined(root, u"sub2"), u"deep.txt"), "x");
  WriteWholeFile(Joined(root, u"a.txt"), "a");
  WriteWholeFile(Joined(root, u"b"), "b");

  std::vector<String> list{u"stale entry"};
  TSysUtils::GetDirectoryFiles(root, true, list);
  ASSERT_EQ(list.size(), 4u);
  std::vector<String> folders(list.begin(), list.begin() + 2), files(list.begin() + 2, list.end());
  std::sort(folders.begin(), folders.end());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(folders, (std::vector<String>{Joined(root, u"sub one"), Joined(root, u"sub2")}));
  EXPECT_EQ(files, (std::vector<String>{Joined(root, u"a.txt"), Joined(root, u"b")}));

  // A folder path that already ends in a separator gets no second one.
  TSysUtils::GetDirectoryFiles(IncludeTrailingPathDelimiter(root), false, list);
  std::sort(list.begin(), list.end());
  EXPECT_EQ(list, files);
}

TEST(SysUtilsTest, DirectoryFilesOfNoFolderLeaveTheListEmpty) {
  TScratchDir scratch;
  WriteWholeFile(scratch.File(u"plain.txt"), "x");
  for (const String& root : {scratch.File(u"missing"), scratch.File(u"plain.txt")}) {
    std::vector<String> list{u"left over", u"from before"};
    TSysUtils::GetDirectoryFiles(root, true, list);
    EXPECT_TRUE(list.empty());
  }
}

TEST(SysUtilsTest, DeleteDirectoryRemovesATreeAndFailsOnNothing) {
  TScratchDir scratch;
  const String root = scratch.File(u"tree");
  MakeFolder(Joined(Joined(root, u"a"), u"b"));
  WriteWholeFile(Joined(root, u"top.txt"), "1");
  WriteWholeFile(Joined(Joined(Joined(root, u"a"), u"b"), u"leaf.txt"), "2");
  WriteWholeFile(scratch.File(u"beside.txt"), "stays");

  EXPECT_TRUE(TSysUtils::DeleteDirectory(root));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(root)));
  EXPECT_EQ(ReadWholeFile(scratch.File(u"beside.txt")), "stays");
  EXPECT_FALSE(TSysUtils::DeleteDirectory(root));
  EXPECT_FALSE(TSysUtils::DeleteDirectory(u""));
}

TEST(SysUtilsTest, FoldersEndInExactlyOneSeparator) {
  const String temporal = TSysUtils::GetTemporalDir();
  ASSERT_GE(temporal.size(), 2u);
  EXPECT_EQ(temporal.back(), PathDelim);
  EXPECT_NE(temporal[temporal.size() - 2], PathDelim);
  EXPECT_TRUE(DirectoryExists(temporal));

  for (const String& folder : {TSysUtils::GetUserDocumentsDirPath(), TSysUtils::GetUserDesktopDirPath(),
                               TSysUtils::GetUserAppDataDirPath(), TSysUtils::GetProgramFilesDirPath()}) {
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), PathDelim) << ToUtf8(folder);
  }
}

TEST(SysUtilsTest, ParentDirPathIsTheFolderAboveWithASeparator) {
  TScratchDir scratch;
  const String folder = IncludeTrailingPathDelimiter(scratch.File(u"x"));
  EXPECT_EQ(TSysUtils::GetParentDirPath(Joined(scratch.File(u"x"), u"y")), folder);
  // Nothing has to exist: the path is worked out on its text.
  EXPECT_EQ(TSysUtils::GetParentDirPath(Joined(Joined(scratch.File(u"x"), u"no"), u"such")),
            IncludeTrailingPathDelimiter(Joined(scratch.File(u"x"), u"no")));
}

TEST(SysUtilsTest, ByteSizesUseTheUsersDecimalSeparator) {
  const char16_t separator = UserDecimalSeparator();
  const String half = String(u"1") + separator + u"5 KB";
  EXPECT_EQ(TStrUtils::FormatByteSizeForUser(1536), half);
  for (const int64_t bytes : {int64_t{0}, int64_t{1024}, int64_t{1025}, int64_t{1536}, int64_t{3} << 20,
                              int64_t{1073741825}, (int64_t{5} << 30) + 7}) {
    EXPECT_EQ(TStrUtils::FormatByteSizeForUser(bytes), TStrUtils::FormatByteSize(bytes, separator)) << bytes;
    if (separator == SystemDecimalSeparator()) {
      EXPECT_EQ(TStrUtils::FormatByteSizeForUser(bytes), TStrUtils::FormatByteSize(bytes)) << bytes;
    }
  }
}

TEST(SysUtilsTest, NamesAreNotEmpty) {
  EXPECT_FALSE(TSysUtils::GetComputerNetName().empty());
  EXPECT_FALSE(TSysUtils::GetUserFromWindows().empty());
}

}  // namespace
}  // namespace lumora
