// Packing for a Windows runtime on any system: the icon and the version
// strings go into the program's resources through the packer's own writer,
// the strings from the configuration's [VersionInfo] and the options.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/ByteOrder.h"
#include "core/Exception.h"
#include "core/ImageHeaders.h"
#include "core/pe/PeImage.h"
#include "core/pe/PeFixture.h"
#include "core/pe/PeResourceEditor.h"
#include "core/pe/VersionInfo.h"
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
  resources.Set(TResourceKey::FromId(TPeResources::kIcon), TResourceKey::FromId(1), 1033,
                test::Bytes("old image"));
  std::vector<uint8_t> group(20, 0);
  group[2] = 1;
  group[4] = 1;
  group[18] = 1;
  resources.Set(TResourceKey::FromId(TPeResources::kGroupIcon), TResourceKey::FromText(u"MAINICON"),
                1033, group);
  TVersionInfo version;
  version.SetString(u"OriginalFilename", u"lumora.exe");
  version.SetString(u"ProductName", u"Lumora");
  resources.Set(TResourceKey::FromId(TPeResources::kVersion), TResourceKey::FromId(1), 1033,
                version.Build());
  const std::vector<uint8_t> program = test::MakeProgram(resources, format);
  const String path = dir.File(u"runtime.exe");
  test::WriteWholeFile(path, std::string(program.begin(), program.end()));
  return path;
}

TVersionInfo VersionOf(const String& program) {
  const TPeResourceEditor editor(program);
  const TResource* resource = editor.Resources().Find(TResourceKey::FromId(TPeResources::kVersion),
                                                      TResourceKey::FromId(1));
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
    const TResource* image = editor.Resources().Find(TResourceKey::FromId(TPeResources::kIcon),
                                                     TResourceKey::FromId(1));
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
    EXPECT_NE(error.Message().find(u"\"Comments\" is not a version string"), String::npos)
        << error.what();
  }
  options.VersionStrings.clear();
  test::WriteWholeFile(dir.File(u"app.ico"), std::string{0, 0, 1, 0, 1, 0});
  try {
    TPacker::Pack(options, nullptr);
    ADD_FAILURE() << "no error";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), u"Resource update error: Icon file is invalid");
  }
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(options.Output)));
}

}  // namespace
}  // namespace lumora
