// What packing leaves out: the glob patterns, the built-in leftovers, the
// ignore file and --exclude, and programs packed into the site earlier.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "os/File.h"
#include "pack/PackageReader.h"
#include "pack/Packer.h"
#include "pack/SiteFilter.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;

TEST(SiteFilterTest, GlobPatterns) {
  struct TCase {
    const char* Pattern;
    const char* Text;
    bool Matches;
  };
  const TCase cases[] = {
      {"*.psd", "draft.psd", true},
      {"*.psd", "a/draft.psd", false},
      {"*.PSD", "draft.psd", true},
      {"*~", "notes.html~", true},
      {"*~", "notes.html", false},
      {".*.swp", ".index.html.swp", true},
      {"#*#", "#notes#", true},
      {"a/**/b", "a/b", true},
      {"a/**/b", "a/x/y/b", true},
      {"a/*/b", "a/x/y/b", false},
      {"**/*.map", "x.map", true},
      {"**/*.map", "js/lib/x.map", true},
      {"?.txt", "\xC3\xA9.txt", true},
      {"?.txt", "ab.txt", false},
      {"[abc].txt", "B.txt", true},
      {"[!abc].txt", "b.txt", false},
      {"[a-c]x", "cx", true},
      {"[a-c]x", "dx", false},
      {"\\*.txt", "*.txt", true},
      {"\\*.txt", "a.txt", false},
      {"[unclosed", "[unclosed", false},
      {"", "", true},
      {"*", "", true},
      {"a*b*c", "abxbyc", true},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(TSiteFilter::GlobMatch(c.Pattern, c.Text), c.Matches) << c.Pattern << " against " << c.Text;
  }
}

TEST(SiteFilterTest, NamesFoldersAnchorsAndReasons) {
  test::TScratchDir dir;
  test::WriteWholeFile(dir.File(u".lumoraignore"),
                       "\xEF\xBB\xBF# drafts\r\n*.psd\r\n\r\n  /site/private/  \r\nbuild/\r\n");
  TSiteFilter filter(true, {"site/big.mp4"});
  filter.AddIgnoreFile(dir.File(u".lumoraignore"));
  filter.AddIgnoreFile(dir.File(u"missing"));
  EXPECT_EQ(filter.Match("site/a/draft.psd", false), TExcludeReason::Author);
  EXPECT_EQ(filter.Match("site/private", true), TExcludeReason::Author);
  EXPECT_EQ(filter.Match("other/site/private", true), TExcludeReason::None);
  EXPECT_EQ(filter.Match("site/build", true), TExcludeReason::Author);
  EXPECT_EQ(filter.Match("site/build", false), TExcludeReason::None);  // a file named build
  EXPECT_EQ(filter.Match("site/big.mp4", false), TExcludeReason::Author);
  EXPECT_EQ(filter.Match("big.mp4", false), TExcludeReason::None);
  EXPECT_EQ(filter.Match("site/.git", true), TExcludeReason::Default);
  EXPECT_EQ(filter.Match(".git", false), TExcludeReason::Default);  // a worktree's .git file
  EXPECT_EQ(filter.Match("site/Thumbs.db", false), TExcludeReason::Default);
  EXPECT_EQ(filter.Match("site/index.html", false), TExcludeReason::None);
  EXPECT_EQ(filter.Match("site/CVS", false), TExcludeReason::None);
  EXPECT_EQ(TSiteFilter(false, {}).Match(".DS_Store", false), TExcludeReason::None);
}

#ifndef _WIN32
// Packing a site under version control, with leftovers, an ignore file and
// a program packed into it before: none of them goes in, and the notes say
// how many were left out.
TEST(SiteFilterTest, PackingLeavesOutLeftoversAndEarlierPrograms) {
  test::TScratchDir dir;
  const fs::path site = fs::path(dir.File(u"notes"));
  for (const char* name : {"site/.git/objects/ab/cdef", "site/.git/HEAD", ".DS_Store", "site/Thumbs.db",
                           "site/notes.html~", "site/drafts/a.psd", "site/index.html", "site/img/a.png"}) {
    fs::create_directories((site / name).parent_path());
    test::WriteWholeFile((site / name).u16string(), "x");
  }
  test::WriteWholeFile((site / "lm-config").u16string(), "[Lumora]\nIndexPage=site/index.html\n");
  test::WriteWholeFile((site / ".lumoraignore").u16string(), "drafts/\n");
  TPackOptions options;
  options.SourceDir = site.u16string();
  options.Runtime = ExecutablePath();
  options.Excludes = {u"img"};
  // The first program goes into the site folder itself, as a hurried
  // author would; the next one is packed outside.
  options.Output = (site / "site" / "old-app").u16string();
  TPackSummary first = TPacker::Pack(options, nullptr);
  ASSERT_EQ(first.Notes.size(), 2u);
  EXPECT_EQ(first.Notes[0],
            u"left out 4 entries: .DS_Store, site/.git/, site/Thumbs.db, site/notes.html~ (version "
            u"control, system and editor leftovers; --no-default-excludes packs them)");
  EXPECT_EQ(first.Notes[1], u"left out 2 entries: site/drafts/, site/img/ (matched by --exclude or .lumoraignore)");

  options.Output = dir.File(u"app");
  std::vector<String> warnings;
  TPacker::Pack(options, [&](const String& warning) { warnings.push_back(warning); });
  std::vector<String> names;
  for (const TPackageEntry& entry : TPackageReader::List(options.Output)) names.push_back(entry.Name);
  EXPECT_EQ(names, (std::vector<String>{u"lm-config", u"site/index.html"}));
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0],
            u"left out \"site/old-app\": it is a program packed by lumora-pack; write programs "
            u"outside SOURCE_DIR so they are not packed into the next one");

  // Everything, without the built-in patterns (the earlier program aside).
  options.DefaultExcludes = false;
  options.Excludes.clear();
  fs::remove(site / ".lumoraignore");
  const TPackSummary all = TPacker::Pack(options, nullptr);
  EXPECT_TRUE(all.Notes.empty());
  EXPECT_EQ(all.Entries, 9u);
}
#endif

}  // namespace
}  // namespace lumora
