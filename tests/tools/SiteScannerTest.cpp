// Which files of a site folder become entries, under which names.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/Exception.h"
#include "pack/SiteScanner.h"
#include "support/TestSupport.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace lumora {
namespace {

namespace fs = std::filesystem;

class SiteScannerTest : public ::testing::Test {
 protected:
  fs::path Root() const { return fs::path(FScratch.Path()) / "site"; }

  void Write(const std::string& name, const std::string& bytes = "x") {
    const fs::path path = Root() / fs::u8path(name);
    fs::create_directories(path.parent_path());
    test::WriteWholeFile(path.u16string(), bytes);
  }

  std::vector<std::string> Names(const String& exclude = u"") {
    FWarnings.clear();
    std::vector<std::string> names;
    for (const TSiteFile& file : TSiteScanner::Scan(
             Root().u16string(), exclude, [this](const String& warning) { FWarnings.push_back(ToUtf8(warning)); })) {
      names.push_back(file.Name);
    }
    return names;
  }

  test::TScratchDir FScratch;
  std::vector<std::string> FWarnings;
};

TEST_F(SiteScannerTest, NamesAreRelativeWithSlashesInByteOrder) {
  Write("b.txt");
  Write("a/z.txt");
  Write("A.txt");
  Write("a/b/c.txt", "deep");
  Write("\xC3\xA9t\xC3\xA9.html");
  fs::create_directories(Root() / "empty");
  EXPECT_EQ(Names(), (std::vector<std::string>{"A.txt", "a/b/c.txt", "a/z.txt", "b.txt", "\xC3\xA9t\xC3\xA9.html"}));
  const std::vector<TSiteFile> files = TSiteScanner::Scan(Root().u16string(), u"", nullptr);
  EXPECT_EQ(test::ReadWholeFile(files[1].Path), "deep");
  EXPECT_EQ(files[1].Size, 4);
  EXPECT_TRUE(FWarnings.empty());
}

TEST_F(SiteScannerTest, LeavesOutThePackageBeingWritten) {
  Write("index.html");
  Write("out/app.exe");
  EXPECT_EQ(Names((Root() / "out" / "app.exe").u16string()), std::vector<std::string>{"index.html"});
  // Named through another path to the same file.
  EXPECT_EQ(Names((Root() / "out" / ".." / "out" / "app.exe").u16string()), std::vector<std::string>{"index.html"});
}

TEST_F(SiteScannerTest, MissingFolderIsAnError) { EXPECT_THROW(Names(), Exception); }

#ifndef _WIN32
TEST_F(SiteScannerTest, FollowsLinksInsideTheSiteOnly) {
  Write("pages/index.html", "target");
  Write("../outside.txt", "secret");
  fs::create_symlink("pages/index.html", Root() / "start.html");
  fs::create_symlink("pages", Root() / "alias");
  fs::create_symlink("../outside.txt", Root() / "leak.txt");
  fs::create_symlink("..", Root() / "pages" / "up");
  fs::create_symlink("missing.html", Root() / "broken.html");
  ASSERT_EQ(::mkfifo((Root() / "pipe").c_str(), 0600), 0);

  EXPECT_EQ(Names(), (std::vector<std::string>{"alias/index.html", "pages/index.html", "start.html"}));
  const std::vector<TSiteFile> files = TSiteScanner::Scan(Root().u16string(), u"", nullptr);
  EXPECT_EQ(test::ReadWholeFile(files[2].Path), "target");

  const auto warned = [this](const std::string& path, const std::string& reason) {
    const std::string text = "skipped \"" + (Root() / path).string() + "\": " + reason;
    return std::find(FWarnings.begin(), FWarnings.end(), text) != FWarnings.end();
  };
  EXPECT_TRUE(warned("leak.txt", "the link points outside the site folder"));
  EXPECT_TRUE(warned("broken.html", "the link's target does not exist"));
  EXPECT_TRUE(warned("pipe", "not a regular file"));
  // Reached twice, through "pages" and through "alias".
  EXPECT_TRUE(warned("pages/up", "the link leads back into a folder that contains it"));
  EXPECT_TRUE(warned("alias/up", "the link leads back into a folder that contains it"));
  EXPECT_EQ(FWarnings.size(), 5u);
}

TEST_F(SiteScannerTest, NameThatIsNotUtf8IsAnError) {
  Write("ok.txt");
  std::ofstream(Root() / "caf\xE9.txt") << "x";
  try {
    Names();
    ADD_FAILURE() << "no error";
  } catch (const Exception& error) {
    EXPECT_NE(error.Message().find(u"is not valid UTF-8"), String::npos);
  }
}
#endif

}  // namespace
}  // namespace lumora
