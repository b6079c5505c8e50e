// Packing with --icon: a Windows runtime's copy gets the icon before the
// archive is appended; any other runtime gets it as the package's "lm-icon".
#include <gtest/gtest.h>

#include <filesystem>

#include "base/Exception.h"
#include "core/ExeUtils.h"
#include "os/IconFile.h"
#include "core/pe/PeResourceEditor.h"
#include "pack/PackageReader.h"
#include "pack/Packer.h"
#include "os/File.h"
#include "support/IconFixture.h"
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
  HMODULE module =
      ::LoadLibraryExW(reinterpret_cast<const wchar_t*>(options.Output.c_str()), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  HRSRC group = ::FindResourceExW(module, RT_GROUP_ICON, L"MAINICON", 1033);
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(::SizeofResource(module, group), 6u);
  ::FreeLibrary(module);
}

// The bytes of a resource of a program in one language, or nothing.
std::string ResourceBytes(const String& program, LPCWSTR type, LPCWSTR name, WORD language) {
  HMODULE module =
      ::LoadLibraryExW(reinterpret_cast<const wchar_t*>(program.c_str()), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return {};
  std::string bytes;
  if (HRSRC found = ::FindResourceExW(module, type, name, language)) {
    const auto* data = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
    if (data) bytes.assign(data, ::SizeofResource(module, found));
  }
  ::FreeLibrary(module);
  return bytes;
}

// The packer's own resource writer and the Windows resource functions give
// programs that Windows reads the same way: the same group, the same
// images, the old images gone from the neutral language.
TEST(PackIconTest, ThePortableWriterAgreesWithWindows) {
  test::TScratchDir dir;
  const String host = FromUtf8(LUMORA_ICON_HOST_PATH);
  const String viaWindows = dir.File(u"windows.exe");
  const String viaPacker = dir.File(u"packer.exe");
  fs::copy_file(fs::path(host), fs::path(viaWindows));
  fs::copy_file(fs::path(host), fs::path(viaPacker));
  const String icon = dir.File(u"two.ico");
  std::string file = test::IconFile(16, [](int x, int) {
    return test::TPixel{0, 0, 255, x < 8 ? uint8_t{255} : uint8_t{0}};
  });
  test::WriteWholeFile(icon, file);

  TExeUtils::ChangeExeIcon(viaWindows, icon);
  TPeResourceEditor editor(viaPacker);
  editor.ReplaceMainIcon(TIconFile::Load(icon));
  editor.Save();

  const std::string group = ResourceBytes(viaWindows, RT_GROUP_ICON, L"MAINICON", 1033);
  ASSERT_EQ(group.size(), 6u + 14u);
  EXPECT_EQ(ResourceBytes(viaPacker, RT_GROUP_ICON, L"MAINICON", 1033), group);
  const std::string image = ResourceBytes(viaWindows, RT_ICON, MAKEINTRESOURCEW(1), 1033);
  ASSERT_FALSE(image.empty());
  EXPECT_EQ(ResourceBytes(viaPacker, RT_ICON, MAKEINTRESOURCEW(1), 1033), image);
  EXPECT_EQ(image, file.substr(22));
  // The old group and its images are gone from the neutral language (which
  // FindResourceEx would fall back from, so the file's own directory says).
  const TPeResourceEditor written(viaPacker);
  for (const TResource& resource : written.Resources().Items()) {
    EXPECT_NE(resource.Language, 0) << resource.Type.Id << " " << resource.Name.Id;
  }
  // The other group and its second image are untouched.
  EXPECT_EQ(ResourceBytes(viaPacker, RT_GROUP_ICON, L"OTHERICON", 1033),
            ResourceBytes(host, RT_GROUP_ICON, L"OTHERICON", 1033));
  EXPECT_EQ(ResourceBytes(viaPacker, RT_ICON, MAKEINTRESOURCEW(2), 1033),
            ResourceBytes(host, RT_ICON, MAKEINTRESOURCEW(2), 1033));
}
#else
// A runtime without resources finds the icon in its package; a file that is
// no picture stops packing before anything is written.
TEST(PackIconTest, OtherRuntimesCarryTheIconInThePackage) {
  test::TScratchDir dir;
  TPackOptions options = SiteWithIcon(dir);
  options.Runtime = ExecutablePath();
  options.Output = dir.File(u"app");
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
