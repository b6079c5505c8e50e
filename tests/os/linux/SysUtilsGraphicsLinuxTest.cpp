// File icons on Linux: desktop entries and files that are no icons.
#include <gtest/gtest.h>

#include <string>

#include "os/SysUtils.h"
#include "support/IconFixture.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

using test::IconFile;
using test::PixelIs;
using test::TPixel;
using test::TScratchDir;
using test::WriteWholeFile;

TEST(SysUtilsGraphicsLinuxTest, DesktopEntryWithAnIconFileHasThatIcon) {
  TScratchDir scratch;
  const String icon = scratch.File(u"small.ico");
  WriteWholeFile(icon, IconFile(16, [](int, int) { return TPixel{10, 20, 200, 255}; }));
  const String entry = scratch.File(u"program.desktop");
  WriteWholeFile(entry, "[Desktop Entry]\nType=Application\nName=P\nExec=true\nIcon=" + ToUtf8(icon) + "\n");
  TBitmap bitmap;
  ASSERT_TRUE(TSysUtils::ExtractExeIcon(entry, bitmap));
  EXPECT_EQ(bitmap.Width, 32);
  EXPECT_EQ(bitmap.Height, 32);
  EXPECT_TRUE(PixelIs(bitmap, 16, 16, {10, 20, 200, 255}));
}

// Programs carry no icon here, and a theme's icon is no file of the entry's.
TEST(SysUtilsGraphicsLinuxTest, ProgramsAndThemedEntriesHaveNoIconOfTheirOwn) {
  TScratchDir scratch;
  WriteWholeFile(scratch.File(u"themed.desktop"),
                 "[Desktop Entry]\nType=Application\nName=T\nExec=true\nIcon=text-editor\n");
  WriteWholeFile(scratch.File(u"program"),
                 "\x7F"
                 "ELF and then nothing");
  EXPECT_TRUE(test::HasNoIcon(scratch.File(u"themed.desktop")));
  EXPECT_TRUE(test::HasNoIcon(scratch.File(u"program")));
}

}  // namespace
}  // namespace lumora
