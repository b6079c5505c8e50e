// The system utilities of the desktop (the shell, text measuring, icons),
// whose behaviour is the same on both backends.
#include <gtest/gtest.h>

#include "os/SysUtils.h"
#include "support/IconFixture.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

using test::TScratchDir;
using test::WriteWholeFile;

TEST(SysUtilsTest, ShellCallsOnAMissingFileFail) {
  TScratchDir scratch;
  const String missing = scratch.File(u"no such document.txt");
  EXPECT_FALSE(TSysUtils::ShellOpen(missing));
  EXPECT_FALSE(TSysUtils::ShellExec(missing, u"--flag"));
}

// A face each platform has: Wine brings its own Tahoma.
#ifdef _WIN32
constexpr const char16_t* kFace = u"Tahoma";
#else
constexpr const char16_t* kFace = u"DejaVu Sans";
#endif

TEST(SysUtilsTest, TextWidthGrowsWithTheTextAndTheFont) {
  const TFont font{kFace, 16};
  const int narrow = TSysUtils::TrueFontWidth(font, u"iiii");
  const int wide = TSysUtils::TrueFontWidth(font, u"WWWW");
  EXPECT_GT(narrow, 0);
  EXPECT_GT(wide, 2 * narrow);
  const int once = TSysUtils::TrueFontWidth(font, u"Lumora text");
  EXPECT_NEAR(TSysUtils::TrueFontWidth(font, u"Lumora textLumora text"), 2 * once, 2);
  const int twiceAsHigh = TSysUtils::TrueFontWidth(TFont{kFace, 32}, u"Lumora text");
  EXPECT_NEAR(twiceAsHigh, 2 * once, once / 8);
  EXPECT_EQ(TSysUtils::TrueFontWidth(font, u""), 0);
  // A height of 0 leaves the size to the platform.
  EXPECT_GT(TSysUtils::TrueFontWidth(TFont{kFace, 0}, u"x"), 0);
}

TEST(SysUtilsTest, IconFileIsDrawnPremultipliedTopDown) {
  using test::PixelIs;
  using test::TPixel;
  TScratchDir scratch;
  const String icon = scratch.File(u"quadrants.ico");
  WriteWholeFile(icon, test::IconFile(32, [](int x, int y) -> TPixel {
                   if (y < 16) return x < 16 ? TPixel{0, 0, 255, 255} : TPixel{0, 255, 0, 255};
                   return x < 16 ? TPixel{255, 0, 0, 128} : TPixel{90, 90, 90, 0};
                 }));
  TBitmap bitmap;
  ASSERT_TRUE(TSysUtils::ExtractExeIcon(icon, bitmap));
  ASSERT_EQ(bitmap.Width, 32);
  ASSERT_EQ(bitmap.Height, 32);
  ASSERT_EQ(bitmap.Pixels.size(), 32u * 32u * 4u);
  EXPECT_TRUE(PixelIs(bitmap, 3, 3, {0, 0, 255, 255}));   // red, top left
  EXPECT_TRUE(PixelIs(bitmap, 28, 3, {0, 255, 0, 255}));  // green, top right
  EXPECT_TRUE(PixelIs(bitmap, 3, 28, {128, 0, 0, 128}));  // half-transparent blue
  EXPECT_TRUE(PixelIs(bitmap, 28, 28, {0, 0, 0, 0}));     // transparent
}

TEST(SysUtilsTest, SmallIconsAreScaledToTheIconSize) {
  TScratchDir scratch;
  const String icon = scratch.File(u"small.ico");
  WriteWholeFile(icon, test::IconFile(16, [](int, int) { return test::TPixel{10, 20, 200, 255}; }));
  TBitmap bitmap;
  ASSERT_TRUE(TSysUtils::ExtractExeIcon(icon, bitmap));
  EXPECT_EQ(bitmap.Width, 32);
  EXPECT_EQ(bitmap.Height, 32);
  EXPECT_TRUE(test::PixelIs(bitmap, 16, 16, {10, 20, 200, 255}));
}

TEST(SysUtilsTest, FilesWithoutAnIconLeaveTheBitmapAlone) {
  TScratchDir scratch;
  WriteWholeFile(scratch.File(u"notes.txt"), "no icon in here");
  EXPECT_TRUE(test::HasNoIcon(scratch.File(u"notes.txt")));
  EXPECT_TRUE(test::HasNoIcon(scratch.File(u"missing.ico")));
}

}  // namespace
}  // namespace lumora
