// TStylesUtils over the process's style engine, and the preview as the
// platform's canvas draws it: compared with the palette at known places.
#include <gtest/gtest.h>

#include "app/StylesUtils.h"
#include "core/style/StyleEngine.h"
#include "core/style/StyleFile.h"
#include "core/style/StyleWindowPainter.h"

namespace lumora {
namespace {

uint32_t Opaque(TStyleColor color) { return 0xFF000000u | color.Rgb; }

// Leaves the native look active whatever a test did.
class StylesUtilsTest : public ::testing::Test {
 protected:
  void TearDown() override { TStylesUtils::TrySetStyle(u"Windows", false); }
};

TEST_F(StylesUtilsTest, GetAvailablesListsInEngineOrderOrSorted) {
  TStringList list;
  list.Add(u"left over");
  TStylesUtils::GetAvailables(list, false);
  ASSERT_EQ(list.Count(), 34);
  EXPECT_FALSE(list.Sorted());
  EXPECT_EQ(list[0], u"Windows");
  EXPECT_EQ(list[1], u"Amakrits");
  EXPECT_EQ(list[16], u"khaki");

  TStylesUtils::GetAvailables(list, true);
  ASSERT_EQ(list.Count(), 34);
  EXPECT_TRUE(list.Sorted());
  // Alphabetical ignoring case: khaki between Iceberg Classico and
  // Lavender Classico, sepia after Sapphire Kamri, Windows near the end.
  for (int i = 1; i < list.Count(); ++i) EXPECT_LT(UpperCaseAscii(list[i - 1]), UpperCaseAscii(list[i]));
  EXPECT_EQ(list[14], u"Iceberg Classico");
  EXPECT_EQ(list[15], u"khaki");
  EXPECT_EQ(list[32], u"Windows");
}

TEST_F(StylesUtilsTest, TrySetStyleChangesTheActiveThemeOnlyForAKnownName) {
  EXPECT_EQ(TStylesUtils::GetActiveTheme(), u"Windows");
  TStylesUtils::TrySetStyle(u"CARBON", false);
  EXPECT_EQ(TStylesUtils::GetActiveTheme(), u"Carbon");
  TStylesUtils::TrySetStyle(u"AQUAGRAPHITE", false);
  EXPECT_EQ(TStylesUtils::GetActiveTheme(), u"Carbon");
  TStylesUtils::TrySetStyle(u"Khaki", false);
  EXPECT_EQ(TStylesUtils::GetActiveTheme(), u"khaki");
  TStylesUtils::TrySetStyle(u"windows", false);
  EXPECT_EQ(TStylesUtils::GetActiveTheme(), u"Windows");
}

// The box for an unknown style names it as the configuration gave it,
// whatever it holds (a "%s" in it is not filled in again).
TEST_F(StylesUtilsTest, NotFoundTextNamesTheStyleAsGiven) {
  const std::pair<String, String> cases[] = {
      {u"AQUAGRAPHITE", u"Style 'AQUAGRAPHITE' not found"},
      {u"", u"Style '' not found"},
      {u"%s and %s", u"Style '%s and %s' not found"},
      {u"it's \u00C9t\u00E9", u"Style 'it's \u00C9t\u00E9' not found"},
  };
  for (const auto& [name, text] : cases) EXPECT_EQ(TStylesUtils::StyleNotFoundText(name), text) << ToUtf8(name);
}

TEST_F(StylesUtilsTest, PreviewOfWindowsOrAnUnknownNameIsAnError) {
  TImage image{200, 150, {}};
  try {
    TStylesUtils::DrawThemePreview(u"Windows", image);
    ADD_FAILURE() << "no error";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), u"Not available \"Windows\" preview.");
  }
  EXPECT_THROW(TStylesUtils::DrawThemePreview(u"No Such Style", image), EStyleNotFound);
  EXPECT_TRUE(image.Picture.Pixels.empty());
}

TEST_F(StylesUtilsTest, PreviewDrawsEveryStyleInItsOwnPalette) {
  TStringList names;
  TStylesUtils::GetAvailables(names, false);
  constexpr int width = 320;
  constexpr int height = 240;
  for (int n = 1; n < names.Count(); ++n) {
    const String& name = names[n];
    SCOPED_TRACE(ToUtf8(name));
    TImage image{width, height, {}};
    TStylesUtils::DrawThemePreview(name, image);
    const TBitmap32& picture = image.Picture;
    ASSERT_EQ(picture.Width, width);
    ASSERT_EQ(picture.Height, height);
    ASSERT_EQ(picture.Pixels.size(), size_t{width} * height);

    const TStyleDefinition style = ReadStyleFile(StyleEngine().StyleData(name));
    const TSampleWindowLayout sample = LayoutSampleWindow(style, {0, 0, width, height});
    const TStyleWindowLayout& window = sample.Window;
    using Role = TStyleColorRole;
    struct Spot {
      const char* what;
      int x, y;
      Role role;
    };
    std::vector<Spot> spots = {
        {"caption", window.Title.Right - 2, window.Caption.Top + 2, Role::CaptionActive},
        {"accent line", window.Caption.Left + window.Caption.Width() / 2, window.Caption.Bottom - 1, Role::Accent},
        {"client", window.Client.Right - 12, window.Client.Bottom - 12, Role::Window},
        {"edit field", sample.Edit.Right - 3, sample.Edit.Top + 3, Role::EditField},
        {"edit border", sample.Edit.Left, sample.Edit.Top + sample.Edit.Height() / 2, Role::Frame},
        {"selection", sample.Selection.Left + 1, sample.Selection.Top + 1, Role::Selection},
        {"button", sample.Button.Left + sample.Button.Width() / 2, sample.Button.Top + 2, Role::ButtonFace},
        {"hover button", sample.HoverButton.Left + sample.HoverButton.Width() / 2, sample.HoverButton.Top + 2,
         Role::ButtonHover},
        {"default edge", sample.DefaultButton.Left + sample.DefaultButton.Width() / 2, sample.DefaultButton.Top + 1,
         Role::Accent},
        {"default face", sample.DefaultButton.Left + sample.DefaultButton.Width() / 2, sample.DefaultButton.Top + 3,
         Role::ButtonPressed},
    };
    if (style.Metric(TStyleMetric::FrameWidth) > 0) spots.push_back({"frame", width / 2, height - 1, Role::Frame});
    for (const Spot& spot : spots)
      EXPECT_EQ(picture.Pixel(spot.x, spot.y), Opaque(style.Color(spot.role))) << spot.what;

    // The caption carries its text: pixels of the title nearer the caption
    // text's colour than the bar's (text is smoothed, so few are exact).
    const auto distance = [](uint32_t pixel, TStyleColor color) {
      const int dr = int((pixel >> 16) & 0xFF) - color.Red(), dg = int((pixel >> 8) & 0xFF) - color.Green(),
                db = int(pixel & 0xFF) - color.Blue();
      return dr * dr + dg * dg + db * db;
    };
    int textPixels = 0;
    for (int y = window.Title.Top; y < window.Title.Bottom - 2; ++y)
      for (int x = window.Title.Left; x < window.Title.Right; ++x) {
        const uint32_t pixel = picture.Pixel(x, y);
        if (distance(pixel, style.Color(Role::CaptionActiveText)) < distance(pixel, style.Color(Role::CaptionActive)))
          ++textPixels;
      }
    EXPECT_GT(textPixels, 20) << "no caption text";
  }
}

}  // namespace
}  // namespace lumora
