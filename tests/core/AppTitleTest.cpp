// The application title made from the program's file name, and the text of
// the error box.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "core/AppTitle.h"
#include "base/UnicodeCase.h"

namespace lumora {
namespace {

// Puts the process's C locale to name for a test's time, where the machine
// has that locale; the program's toolkit does the same with the user's.
class TLocaleGuard {
 public:
  explicit TLocaleGuard(const char* name) : FOld(std::setlocale(LC_ALL, nullptr)) {
    FSet = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~TLocaleGuard() { std::setlocale(LC_ALL, FOld.c_str()); }
  bool Set() const { return FSet; }
  TLocaleGuard(const TLocaleGuard&) = delete;
  TLocaleGuard& operator=(const TLocaleGuard&) = delete;

 private:
  std::string FOld;
  bool FSet = false;
};

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

// The title is lower-cased by Unicode's rules, whatever the locale: the C
// library's towlower leaves "É" alone in Windows' C locale and turns "I"
// into a dotless "ı" under Turkish.
TEST(AppTitleTest, LowerCaseFollowsUnicodeInEveryLocale) {
  const TLocaleGuard turkish("tr_TR.UTF-8");
#ifndef _WIN32
  // Windows' C runtime has no such locale: there the C locale is the case.
  ASSERT_TRUE(turkish.Set()) << "no tr_TR.UTF-8 locale (scripts/setup makes it)";
#endif
  struct TCase {
    String Path;
    String Title;
  };
  const TCase cases[] = {
      {u"CAF\u00C9.EXE", u"Caf\u00E9"},
      {u"IMAGINE", u"Imagine"},
      {u"\u00C9T\u00C9", u"\u00C9t\u00E9"},                                    // the first character stays
      {u"\u0394\u0395\u039B\u03A4\u0391", u"\u0394\u03B5\u03BB\u03C4\u03B1"},  // Greek
      {u"\u041C\u0418\u0420.exe", u"\u041C\u0438\u0440"},                      // Cyrillic
      {u"X\u0130\u212A\u1E9E", u"Xik\u00DF"},                // simple mappings: dotted I, Kelvin sign, capital sharp s
      {u"A\U00010400\U00010401", u"A\U00010428\U00010429"},  // Deseret, beyond the basic plane
      {u"\U00010400\U00010400", u"\U00010400\U00010428"},    // a first character of two units stays whole
      {u"AB\xD801", u"Ab\xD801"},                            // a lone surrogate stays
      {u"A\u00DF\u01C5", u"A\u00DF\u01C6"},                  // small letters stay; a title-case pair goes small
  };
  for (const TCase& c : cases) EXPECT_EQ(ApplicationTitleOf(c.Path), c.Title) << ToUtf8(c.Path);
}

TEST(AppTitleTest, LowerCaseCodePointsByTable) {
  const std::pair<char32_t, char32_t> cases[] = {
      {U'A', U'a'},         {U'Z', U'z'},       {U'a', U'a'},       {U'@', U'@'},       {U'[', U'['},
      {0xC0, 0xE0},         {0xD7, 0xD7},       {0xDE, 0xFE},       {0x100, 0x101},     {0x101, 0x101},
      {0x178, 0xFF},        {0x130, 0x69},      {0x3A3, 0x3C3},     {0x3A2, 0x3A2},     {0x10A0, 0x2D00},
      {0x13A0, 0xAB70},     {0x1E9E, 0xDF},     {0x2126, 0x3C9},    {0x212A, 0x6B},     {0x2160, 0x2170},
      {0xFF21, 0xFF41},     {0x10400, 0x10428}, {0x1E900, 0x1E922}, {0x1E921, 0x1E943}, {0x1E922, 0x1E922},
      {0x10FFFF, 0x10FFFF},
  };
  for (const auto& [capital, small] : cases) {
    EXPECT_EQ(LowerCaseCodePoint(capital), small) << std::hex << static_cast<uint32_t>(capital);
  }
}

TEST(AppTitleTest, ErrorTextGetsAFullStopAfterCharactersAboveIt) {
  EXPECT_EQ(ErrorBoxText(u"not implemented"), u"not implemented.");
  EXPECT_EQ(ErrorBoxText(u"Done."), u"Done.");
  EXPECT_EQ(ErrorBoxText(u"Really?"), u"Really?.");
  EXPECT_EQ(ErrorBoxText(u"Wait!"), u"Wait!");    // '!' is below '.'
  EXPECT_EQ(ErrorBoxText(u"(a, b)"), u"(a, b)");  // ')' too
  EXPECT_EQ(ErrorBoxText(u"path/"), u"path/.");   // '/' is above
  EXPECT_EQ(ErrorBoxText(u""), u"");
}

}  // namespace
}  // namespace lumora
