// The application title made from the program's file name, and the text of
// the error box.
#include <gtest/gtest.h>

#include "core/AppTitle.h"

namespace lumora {
namespace {

TEST(AppTitleTest, FileNameWithoutExtensionLowerCasedAfterTheFirstLetter) {
  const String folder = String(u"some") + PathDelim + u"Dir.D" + PathDelim;
  struct TCase {
    String Path;
    String Title;
  };
  const TCase cases[] = {
      {folder + u"ViewER.EXE", u"Viewer"},
      {folder + u"viewer", u"viewer"},
      {folder + u"My.Site.App", u"My.site"},
      {folder + u".hidden", u""},
      {u"ABC.exe", u"Abc"},
  };
  for (const TCase& c : cases) EXPECT_EQ(ApplicationTitleOf(c.Path), c.Title) << ToUtf8(c.Path);
}

TEST(AppTitleTest, ErrorTextGetsAFullStopAfterCharactersAboveIt) {
  EXPECT_EQ(ErrorBoxText(u"not implemented"), u"not implemented.");
  EXPECT_EQ(ErrorBoxText(u"Done."), u"Done.");
  EXPECT_EQ(ErrorBoxText(u"Really?"), u"Really?.");
  EXPECT_EQ(ErrorBoxText(u"Wait!"), u"Wait!");      // '!' is below '.'
  EXPECT_EQ(ErrorBoxText(u"(a, b)"), u"(a, b)");    // ')' too
  EXPECT_EQ(ErrorBoxText(u"path/"), u"path/.");     // '/' is above
  EXPECT_EQ(ErrorBoxText(u""), u"");
}

}  // namespace
}  // namespace lumora
