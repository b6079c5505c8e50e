// File names a page cannot load: "#" and "?" end the path of a URL, so the
// runtime never finds such an entry for an lmp:// request, however the page
// writes the name. The packer packs them (the page services still reach
// them by name) and says so.
#include <gtest/gtest.h>

#include <filesystem>

#include "pack/PackageReader.h"
#include "pack/Packer.h"
#include "os/File.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;

TEST(PackNamesTest, NamesPagesCannotLoadAreWarnedAbout) {
  test::TScratchDir dir;
  const fs::path site = fs::path(dir.File(u"site"));
  fs::create_directories(site / "site" / "part#2");
  test::WriteWholeFile((site / "lm-config").u16string(), "[Lumora]\r\nIndexPage=site/index.html\r\n");
  std::vector<String> names{u"site/index.html", u"site/a b%20c.html", u"site/notes#1.html", u"site/part#2/page.html"};
#ifndef _WIN32
  names.push_back(u"site/what?.txt");  // no Windows file name holds "?"
#endif
  for (const String& name : names) test::WriteWholeFile((site / fs::path(name)).u16string(), "<p>");
  TPackOptions options;
  options.SourceDir = site.u16string();
  // The runtime is this test program: a Windows program needs ".exe" to
  // be named without a warning of its own.
#ifdef _WIN32
  options.Output = dir.File(u"app.exe");
#else
  options.Output = dir.File(u"app");
#endif
  options.Runtime = ExecutablePath();
  std::vector<String> warnings;
  TPacker::Pack(options, [&](const String& warning) { warnings.push_back(warning); });

  std::vector<String> unreachable;
  for (const String& name : names) {
    if (name.find_first_of(u"#?") != String::npos) unreachable.push_back(name);
  }
  ASSERT_EQ(warnings.size(), unreachable.size());
  for (size_t i = 0; i < warnings.size(); ++i) {
    EXPECT_NE(warnings[i].find(u"\"" + unreachable[i] + u"\""), String::npos) << ToUtf8(warnings[i]);
    EXPECT_NE(warnings[i].find(u"lmp://"), String::npos) << ToUtf8(warnings[i]);
  }
  // Packed all the same.
  EXPECT_EQ(TPackageReader::List(options.Output).size(), names.size() + 1);
}

}  // namespace
}  // namespace lumora
