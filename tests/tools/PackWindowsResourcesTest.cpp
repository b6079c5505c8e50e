// Packing for a Windows runtime on any system: the icon and the version
// strings go into the program's resources through the packer's own writer,
// the strings from the configuration's [VersionInfo] and the options.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/ByteOrder.h"
#include "base/Exception.h"
#include "os/ImageHeaders.h"
#include "core/pe/PeImage.h"
#include "core/pe/PeFixture.h"
#include "core/pe/PeResourceEditor.h"
#include "core/pe/VersionInfo.h"
#include "os/IconFile.h"
#include "pack/PackChecks.h"
#include "pack/PackageReader.h"
#include "pack/Packer.h"
#include "support/IconFixture.h"
#include "support/TestSupport.h"
#include "tools/PackFixtures.h"

namespace lumora {
namespace {

// A runtime in miniature, 32-bit or 64-bit: a main icon and a version
// resource.
String WriteRuntime(const test::TScratchDir& dir, const test::TPeFormat& format = test::kPe32) {
  TPeResources resources;
  resources.Set(TResourceKey::FromId(TPeResources::kIcon), TResourceKey::FromId(1), 1033, test::Bytes("old image"));
  std::vector<uint8_t> group(20, 0);
  group[2] = 1;
  group[4] = 1;
  group[18] = 1;
  resources.Set(TResourceKey::FromId(TPeResources::kGroupIcon), TResourceKey::FromText(u"MAINICON"), 1033, group);
  TVersionInfo version;
  version.SetString(u"OriginalFilename", u"lumora.exe");
  version.SetString(u"ProductName", u"Lumora");
  resources.Set(TResourceKey::FromId(TPeResources::kVersion), TResourceKey::FromId(1), 1033, version.Build());
  const std::vector<uint8_t> program = test::MakeProgram(resources, format);
  const String path = dir.File(u"runtime.exe");
  test::WriteWholeFile(path, std::string(program.begin(), program.end()));
  return path;
}

TVersionInfo VersionOf(const String& program) {
  const TPeResourceEditor editor(program);
  const TResource* resource =
      editor.Resources().Find(TResourceKey::FromId(TPeResources::kVersion), TResourceKey::FromId(1));
  EXPECT_NE(resource, nullptr);
  return resource ? TVersionInfo::Parse(resource->Data) : TVersionInfo();
}

TEST(PackWindowsResourcesTest, IconAndStringsGoIntoTheProgram) {
  for (const test::TPeFormat& format : test::kPeFormats) {
    SCOPED_TRACE(format.Name);
    test::TScratchDir dir;
    TPackOptions options = SiteWithIcon(dir);
    test::WriteWholeFile(dir.File(u"app.ico"), test::IconFile(16, [](int, int) { return test::TPixel{9, 9, 9, 255}; }));
    test::WriteWholeFile(dir.File(u"site") + PathDelim + u"lm-config",
                         "[Lumora]\r\nIndexPage=site/index.html\r\n[VersionInfo]\r\n"
                         "companyname=Example Ltd\r\nProductName=from the configuration\r\n");
    options.Runtime = WriteRuntime(dir, format);
    options.VersionStrings = {{u"ProductName", u"Notes"}, {u"FileVersion", u"1.2"}};
    std::vector<String> warnings;
    TPacker::Pack(options, [&](const String& warning) { warnings.push_back(warning); });
    EXPECT_TRUE(warnings.empty());

    // The archive follows the rewritten image and reads back whole.
    EXPECT_TRUE(TPackageReader::Verify(options.Output).Failures.empty());
    EXPECT_EQ(TPackageReader::List(options.Output).size(), 2u);
    const TVersionInfo version = VersionOf(options.Output);
    EXPECT_EQ(version.GetString(u"ProductName"), u"Notes");
    EXPECT_EQ(version.GetString(u"CompanyName"), u"Example Ltd");
    EXPECT_EQ(version.GetString(u"FileVersion"), u"1.2");
    EXPECT_EQ(version.GetString(u"OriginalFilename"), u"lumora.exe");
    // The header checksum covers the archive too, in both header layouts.
    const std::string packed = test::ReadWholeFile(options.Output);
    const std::vector<uint8_t> bytes(packed.begin(), packed.end());
    EXPECT_EQ(ReadU32(bytes.data() + test::kCheckSumAt), TPeImage::CheckSum(bytes, test::kCheckSumAt));
    EXPECT_EQ(PeMachineOfFile(options.Output), format.Machine);
    const TPeResourceEditor editor(options.Output);
    const TResource* image =
        editor.Resources().Find(TResourceKey::FromId(TPeResources::kIcon), TResourceKey::FromId(1));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Data.size(), 16u * 16 * 4 + 40 + 16 * 4);
  }
}

TEST(PackWindowsResourcesTest, UnknownNamesAndBadIconsWriteNothing) {
  test::TScratchDir dir;
  TPackOptions options = SiteWithIcon(dir);
  options.Runtime = WriteRuntime(dir);
  options.VersionStrings = {{u"Comments", u"x"}};
  try {
    TPacker::Pack(options, nullptr);
    ADD_FAILURE() << "no error";
  } catch (const Exception& error) {
    EXPECT_NE(error.Message().find(u"\"Comments\" is not a version string"), String::npos) << error.what();
  }
  options.VersionStrings.clear();
  test::WriteWholeFile(dir.File(u"app.ico"), std::string{0, 0, 1, 0, 1, 0});
  try {
    TPacker::Pack(options, nullptr);
    ADD_FAILURE() << "no error";
  } catch (const Exception& error) {
    EXPECT_TRUE(error.Message().starts_with(
        u"Resource update error: Icon file is invalid (a Windows program's icon is an ICO file, or a PNG "
        u"picture"))
        << error.what();
  }
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(options.Output)));
}

// The start of a PNG picture of width x height: what the packer reads.
std::string PngHeader(uint32_t width, uint32_t height) {
  std::string png("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16);
  for (const uint32_t side : {width, height}) {
    for (int shift = 24; shift >= 0; shift -= 8) png += static_cast<char>((side >> shift) & 0xFF);
  }
  return png + std::string("\x08\x06\0\0\0", 5);
}

// A PNG picture becomes an icon of one PNG image, as Windows reads them
// since Vista; a larger one is refused with the way to make an ICO file.
TEST(PackWindowsResourcesTest, PngIconIsMadeIntoAnIconFile) {
  test::TScratchDir dir;
  TPackOptions options = SiteWithIcon(dir);
  options.Runtime = WriteRuntime(dir);
  options.IconFile = dir.File(u"app.png");
  const std::string png = PngHeader(256, 48);
  test::WriteWholeFile(options.IconFile, png);
  std::vector<String> warnings;
  TPacker::Pack(options, [&](const String& warning) { warnings.push_back(warning); });
  EXPECT_TRUE(warnings.empty());
  const TPeResourceEditor editor(options.Output);
  const TResource* image = editor.Resources().Find(TResourceKey::FromId(TPeResources::kIcon), TResourceKey::FromId(1));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(std::string(image->Data.begin(), image->Data.end()), png);
  const TResource* group =
      editor.Resources().Find(TResourceKey::FromId(TPeResources::kGroupIcon), TResourceKey::FromText(u"MAINICON"));
  ASSERT_NE(group, nullptr);
  ASSERT_EQ(group->Data.size(), 20u);
  // One image: 256 is written as 0, 48 as it is, 32 bits a pixel.
  EXPECT_EQ(group->Data[4], 1);
  EXPECT_EQ(group->Data[6], 0);
  EXPECT_EQ(group->Data[7], 48);
  EXPECT_EQ(group->Data[12], 32);

  test::WriteWholeFile(options.IconFile, PngHeader(512, 512));
  try {
    TPacker::Pack(options, nullptr);
    ADD_FAILURE() << "no error";
  } catch (const Exception& error) {
    EXPECT_NE(error.Message().find(u"is 512x512 pixels: a Windows icon holds pictures of at most 256x256"),
              String::npos)
        << error.what();
    EXPECT_NE(error.Message().find(u"icotool -c -o"), String::npos) << error.what();
  }
}

// The icon file made of a PNG picture, as icoutils reads it.
TEST(PackWindowsResourcesTest, IconFromPngReadsInIcotool) {
  if (std::system("icotool --version > /dev/null 2>&1 && convert -version > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "no icotool or ImageMagick";
  }
  test::TScratchDir dir;
  const std::string pngPath = ToUtf8(dir.File(u"a.png"));
  ASSERT_EQ(std::system(("convert -size 48x32 xc:red 'png32:" + pngPath + "'").c_str()), 0);
  std::ifstream pngFile(pngPath, std::ios::binary);
  const std::string png((std::istreambuf_iterator<char>(pngFile)), std::istreambuf_iterator<char>());
  const std::vector<uint8_t> icon = TPackChecks::IconFromPng(std::vector<uint8_t>(png.begin(), png.end()), u"a.png");
  EXPECT_TRUE(TIconFile::IsValid(icon));
  test::WriteWholeFile(dir.File(u"a.ico"), std::string(icon.begin(), icon.end()));
  const std::string listing = ToUtf8(dir.File(u"a.ico")) + ".txt";
  ASSERT_EQ(std::system(("icotool -l '" + ToUtf8(dir.File(u"a.ico")) + "' > '" + listing + "'").c_str()), 0);
  std::ifstream file(listing);
  const std::string line((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_NE(line.find("--icon --index=1 --width=48 --height=32 --bit-depth=32"), std::string::npos) << line;
}

// What a Windows program's author is told: a name without ".exe", and a
// version that sets only the string; the same strings in lm-config are no
// warning for a Linux program.
TEST(PackWindowsResourcesTest, NameAndVersionWarnings) {
  test::TScratchDir dir;
  TPackOptions options = SiteWithIcon(dir);
  options.Runtime = WriteRuntime(dir);
  options.Output = dir.File(u"notes");
  options.VersionStrings = {{u"fileversion", u"v1.2-beta"}, {u"ProductVersion", u"1.2.3.4"}};
  std::vector<String> warnings;
  TPacker::Pack(options, [&](const String& warning) { warnings.push_back(warning); });
  ASSERT_EQ(warnings.size(), 2u);
  EXPECT_NE(warnings[0].find(u"is a Windows program without \".exe\": Windows starts programs by that "
                             u"extension, so name it"),
            String::npos)
      << ToUtf8(warnings[0]);
  EXPECT_EQ(warnings[1],
            u"FileVersion \"v1.2-beta\" is written as text only: the numeric version (the one "
            u"Windows and installers compare) is set only by one to four dot-separated numbers "
            u"up to 65535, such as FileVersion=1.2.0");
}

}  // namespace
}  // namespace lumora
