// The readable style source: what it accepts, and a line-numbered error for
// each mistake an author can make.
#include <gtest/gtest.h>

#include <string>

#include "core/style/StyleSource.h"

namespace lumora {
namespace {

std::string CompleteSource() {
  std::string text = "# a comment\nname = Test Style\nauthor = someone\n\n";
  for (std::string_view key : StyleColorKeys) text += std::string(key) + " = #0a0B0c\n";
  text += "caption-height = 30\nframe-width = 0\ncorner-radius = 24\nbutton-radius = 3\n";
  return text;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return text.replace(at, from.size(), to);
}

std::string ErrorOf(const std::string& text) {
  try {
    ParseStyleSource(text);
  } catch (const EStyleSource& error) {
    return error.what();
  }
  return "accepted";
}

TEST(StyleSourceTest, ReadsACompleteSource) {
  const TStyleDefinition style = ParseStyleSource(CompleteSource());
  EXPECT_EQ(style.Name, u"Test Style");
  EXPECT_EQ(style.Version, u"1.0");
  EXPECT_EQ(style.Author, u"someone");
  EXPECT_EQ(style.Color(TStyleColorRole::Accent).Rgb, 0x0a0b0cu);
  EXPECT_EQ(style.Metric(TStyleMetric::CornerRadius), 24);
  EXPECT_EQ(ParseStyleSource(Replace(CompleteSource(), "\n", "\r\n")), style);
}

TEST(StyleSourceTest, MistakesAreReportedWithTheirLine) {
  const std::string source = CompleteSource();
  struct Case {
    std::string text;
    std::string error;
  };
  const Case cases[] = {
      {Replace(source, "name = Test Style\n", ""), "the style has no name"},
      {Replace(source, "accent = #0a0B0c\n", ""), "the colour \"accent\" is missing"},
      {Replace(source, "button-radius = 3\n", ""), "the metric \"button-radius\" is missing"},
      {Replace(source, "author = someone", "author"), "line 3: expected \"key = value\""},
      {Replace(source, "author = someone", "colour = #000000"), "line 3: unknown key \"colour\""},
      {Replace(source, "author = someone", "window = #000000"), "line 5: \"window\" is given twice"},
      {Replace(source, "text = #0a0B0c", "text = 0a0b0c"), "line 6: a colour is written #rrggbb, not \"0a0b0c\""},
      {Replace(source, "text = #0a0B0c", "text = #0a0b0g"), "line 6: a colour is written #rrggbb, not \"#0a0b0g\""},
      {Replace(source, "text = #0a0B0c", "text = #-a0b0c"), "line 6: a colour is written #rrggbb, not \"#-a0b0c\""},
      {Replace(source, "frame-width = 0", "frame-width = 17"),
       "line 22: frame-width must be a whole number from 0 to 16"},
      {Replace(source, "frame-width = 0", "frame-width = -1"),
       "line 22: frame-width must be a whole number from 0 to 16"},
      {Replace(source, "frame-width = 0", "frame-width = 2px"),
       "line 22: frame-width must be a whole number from 0 to 16"},
      {Replace(source, "caption-height = 30", "caption-height ="),
       "line 21: caption-height must be a whole number from 16 to 64"},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.text), c.error) << c.text;
}

}  // namespace
}  // namespace lumora
