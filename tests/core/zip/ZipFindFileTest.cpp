// Looking entries up by name: ASCII letter case only, separators as stored,
// the last of equal names.
#include <gtest/gtest.h>

#include "ZipTestKit.h"
#include "core/zip/AbArchiveList.h"

namespace lumora::test {
namespace {

TEST(ZipFindFile, MatchesIgnoringAsciiCaseOnly) {
  TZipTestKit zip(BuildZip({
      {.Name = "site/Index.html", .Method = 0},
      {.Name = "site/\xC3\xA9t\xC3\xA9.txt", .Method = 0, .ExtraFlags = 0x0800},  // été
      {.Name = "site/img/Logo.PNG", .Method = 0},
  }));
  struct Case {
    StringView name;
    int32_t index;
  };
  const Case cases[] = {
      {u"site/Index.html", 0},         {u"SITE/INDEX.HTML", 0},
      {u"site/index.html", 0},         {u"site\\Index.html", -1},
      {u"/site/Index.html", -1},       {u"site/Index.html/", -1},
      {u"site/Index.htm", -1},         {u"", -1},
      {u"site/\u00E9t\u00E9.txt", 1},  {u"SITE/\u00E9T\u00E9.TXT", 1},
      {u"site/\u00C9t\u00C9.txt", -1},  // É is not folded
      {u"site/img/logo.png", 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(zip.Kit.FindFile(c.name), c.index) << ToUtf8(c.name);
  }
}

TEST(ZipFindFile, LastOfEqualNamesWins) {
  TZipTestKit zip(BuildZip({
      {.Name = "a.txt", .Data = "first", .Password = "pw"},
      {.Name = "b.txt", .Data = "other", .Password = "pw"},
      {.Name = "A.TXT", .Data = "second", .Password = "pw"},
  }));
  EXPECT_EQ(zip.Kit.FindFile(u"a.txt"), 2);
  EXPECT_EQ(zip.Extract(u"a.txt"), "second");
}

TEST(ZipFindFile, BucketFollowsTheNameHash) {
  // h = ((0x41 * 16) + 0x42) * 16 + 0x43 = 0x4563; 0x4563 mod 1021 = 406.
  EXPECT_EQ(TAbArchiveList::Bucket(u"abc"), 406u);
  EXPECT_EQ(TAbArchiveList::Bucket(u"ABC"), 406u);
  // Long names push bits into the top nibble, which is folded back in.
  const String longName = u"site/some/deeply/nested/folder/with/a/long/file-name.html";
  EXPECT_EQ(TAbArchiveList::Bucket(longName), TAbArchiveList::Bucket(UpperCaseAscii(longName)));
  EXPECT_LT(TAbArchiveList::Bucket(longName), TAbArchiveList::kBucketCount);
}

TEST(ZipFindFile, ManyEntriesAreAllFound) {
  std::vector<TZipTestEntry> entries;
  for (int i = 0; i < 5000; ++i) entries.push_back({.Name = "f/" + std::to_string(i), .Method = 0});
  TZipTestKit zip(BuildZip(entries));
  for (int i = 0; i < 5000; i += 7) {
    EXPECT_EQ(zip.Kit.FindFile(FromAscii("F/" + std::to_string(i))), i);
  }
}

}  // namespace
}  // namespace lumora::test
