// Packing with --icon: a Windows runtime's copy gets the icon before the
// archive is appended; any other runtime gets it as the package's "lm-icon".
#include <gtest/gtest.h>

#include <filesystem>

#include "core/Exception.h"
#include "pack/PackageReader.h"
#include "pack/Packer.h"
#include "core/os/File.h"
#include "support/TestSupport.h"
#include "tools/PackFixtures.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace lumora {
namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
TEST(PackIconTest, TheIconGoesInBeforeTheArchive) {
  test::TScratchDir dir;
  TPackOptions options = SiteWithIcon(dir);
  options.Runtime = FromUtf8(LUMORA_ICON_HOST_PATH);
  TPacker::Pack(options, nullptr);

  EXPECT_EQ(TPackageReader::List(options.Output).size(), 2u);
  HMODULE module = ::LoadLibraryExW(reinterpret_cast<const wchar_t*>(options.Output.c_str()),
                                    nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  HRSRC group = ::FindResourceExW(module, RT_GROUP_ICON, L"MAINICON", 1033);
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(::SizeofResource(module, group), 6u);
  ::FreeLibrary(module);
}
#else
// A runtime without resources finds the icon in its package; a file that is
// no picture stops packing before anything is written.
TEST(PackIconTest, OtherRuntimesCarryTheIconInThePackage) {
  test::TScratchDir dir;
  TPackOptions options = SiteWithIcon(dir);
  options.Runtime = ExecutablePath();
  // The start of a 16 x 16 PNG: what the packer looks at.
  test::WriteWholeFile(dir.File(u"app.ico"), std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x10\0\0\0\x10", 24));
  test::WriteWholeFile(dir.File(u"site") + PathDelim + u"LM-ICON", "the site's own");
  std::vector<String> warnings;
  TPacker::Pack(options, [&](const String& warning) { warnings.push_back(warning); });
  std::vector<String> names;
  for (const TPackageEntry& entry : TPackageReader::List(options.Output)) names.push_back(entry.Name);
  EXPECT_EQ(names, (std::vector<String>{u"lm-config", u"lm-icon", u"site/index.html"}));
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find(u"LM-ICON"), String::npos) << ToUtf8(warnings[0]);
  EXPECT_TRUE(TPackageReader::Verify(options.Output).Failures.empty());

  fs::remove(fs::path(options.Output));
  for (const std::string& notAnIcon : {std::string("GIF89a"), std::string("MZ\0\0\0\0", 6),
                                       std::string{0, 0, 1, 0, 1, 0}, std::string{0, 0, 1, 0, 0, 0}}) {
    test::WriteWholeFile(dir.File(u"app.ico"), notAnIcon);
    try {
      TPacker::Pack(options, nullptr);
      ADD_FAILURE() << "no error";
    } catch (const Exception& error) {
      EXPECT_NE(error.Message().find(u"is not an icon"), String::npos) << error.what();
    }
    EXPECT_FALSE(FileExists(options.Output));
  }
}
#endif

}  // namespace
}  // namespace lumora
