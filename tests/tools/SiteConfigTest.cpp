// The configuration entry as the packer stores and checks it.
#include <gtest/gtest.h>

#include "pack/SiteConfig.h"

namespace lumora {
namespace {

const std::string kBom = "\xEF\xBB\xBF";

TEST(SiteConfigTest, EntryBytesAreUtf8WithAByteOrderMark) {
  struct TCase {
    const char* What;
    std::string File;
    std::string Stored;
  };
  const TCase cases[] = {
      {"UTF-8 with a mark stays as it is", kBom + "[Lumora]\r\nAppTitle=Caf\xC3\xA9",
       kBom + "[Lumora]\r\nAppTitle=Caf\xC3\xA9"},
      {"UTF-8 without a mark gets one", "[Lumora]\nAppTitle=Caf\xC3\xA9\n", kBom + "[Lumora]\nAppTitle=Caf\xC3\xA9\n"},
      {"UTF-16LE is converted", std::string("\xFF\xFE[\0L\0]\0\n\0\xE9\0", 12), kBom + "[L]\n\xC3\xA9"},
      {"UTF-16BE is converted", std::string("\xFE\xFF\0[\0L\0]\0\n\0\xE9\x20\xAC", 14),
       kBom + "[L]\n\xC3\xA9\xE2\x82\xAC"},
      // Not UTF-8 and no mark: the runtime would have read the ANSI code page.
      {"ANSI text is converted", "AppTitle=Caf\xE9 \x80", kBom + "AppTitle=Caf\xC3\xA9 \xE2\x82\xAC"},
      {"an empty file gets a mark", "", kBom},
  };
  for (const TCase& c : cases) EXPECT_EQ(TSiteConfig::EntryBytes(c.File), c.Stored) << c.What;
}

TConfigFindings Findings(const std::string& text, bool allowUnknownKeys = false) {
  TMemIniFile config;
  config.LoadFromBytes(TSiteConfig::EntryBytes(text));
  return TSiteConfig::Check(config, allowUnknownKeys);
}

std::vector<String> Warnings(const std::string& text) { return Findings(text).Warnings; }

TEST(SiteConfigTest, WarnsAboutWhatTheRuntimeIgnores) {
  EXPECT_EQ(Warnings("[Lumora]\nIndexPage=a.html\nappwindowwidth=0x400\nUseTrayIcon=-1\n"), std::vector<String>{});
  EXPECT_EQ(Warnings("[Lumora]\nIndexPage=a.html\nWindowColour=blue\n"),
            std::vector<String>{u"unknown key \"WindowColour\" in lm-config: the runtime does not read it"});
  EXPECT_EQ(Warnings("[Lumora]\nUseTrayIcon=true\nAppWindowWidth=\n"),
            (std::vector<String>{u"UseTrayIcon = \"true\" is not a number: the runtime uses the default 0",
                                 u"AppWindowWidth = \"\" is not a number: the runtime uses the default 800"}));
  EXPECT_EQ(Warnings("[Settings]\nIndexPage=a.html\n"),
            std::vector<String>{u"lm-config has no [Lumora] section: every key takes its default"});
}

// An AppTheme the runtime has no style for would show an error box at every
// start: a warning, with the nearest name when there is one.
TEST(SiteConfigTest, WarnsWhenAppThemeNamesNoStyle) {
  struct TCase {
    const char* Theme;
    std::vector<String> Expected;
  };
  const auto noStyle = [](const String& theme, const String& suffix) {
    return std::vector<String>{u"AppTheme = \"" + theme + u"\" names no style: the program shows \"Style '" + theme +
                               u"' not found\" and keeps the native look" + suffix};
  };
  const TCase cases[] = {
      {"Carbon", {}},
      {"carbon", {}},
      {"Windows", {}},
      {"KHAKI", {}},
      {"AQUAGRAPHITE", noStyle(u"AQUAGRAPHITE", u" (did you mean \"Aqua Graphite\"?)")},
      {"Metro Blak", noStyle(u"Metro Blak", u" (did you mean \"Metro Black\"?)")},
      {"Solarized", noStyle(u"Solarized", u"")},
      // By the words of the names, not by letters ("Dark" is three edits
      // from "Pink").
      {"Sapphire", noStyle(u"Sapphire", u" (did you mean \"Sapphire Kamri\"?)")},
      {"metro", noStyle(u"metro", u" (did you mean one of \"Metro Black\", \"Metro Blue\", \"Metro Green\"?)")},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(Warnings(std::string("[Lumora]\nAppTheme=") + c.Theme + "\n"), c.Expected) << c.Theme;

  // "Dark" gets the styles whose windows are dark, Carbon among them and
  // none of the light ones; "light" the others.
  const std::vector<String> dark = Warnings("[Lumora]\nAppTheme=Dark\n");
  ASSERT_EQ(dark.size(), 1u);
  EXPECT_NE(dark[0].find(u"(did you mean one of \"Amakrits\", "), String::npos) << ToUtf8(dark[0]);
  EXPECT_NE(dark[0].find(u"\"Carbon\""), String::npos) << ToUtf8(dark[0]);
  EXPECT_NE(dark[0].find(u"\"Charcoal Dark Slate\""), String::npos) << ToUtf8(dark[0]);
  EXPECT_EQ(dark[0].find(u"\"Pink\""), String::npos) << ToUtf8(dark[0]);
  EXPECT_EQ(dark[0].find(u"\"Sky\""), String::npos) << ToUtf8(dark[0]);
  const std::vector<String> light = Warnings("[Lumora]\nAppTheme=light\n");
  ASSERT_EQ(light.size(), 1u);
  EXPECT_NE(light[0].find(u"\"Sky\""), String::npos) << ToUtf8(light[0]);
  EXPECT_EQ(light[0].find(u"\"Carbon\""), String::npos) << ToUtf8(light[0]);

  // Present but empty is not the default: the runtime looks for a style
  // named "" at every start.
  const TConfigFindings empty = Findings("[Lumora]\nAppTheme=\n");
  EXPECT_TRUE(empty.Warnings.empty());
  ASSERT_EQ(empty.Errors.size(), 1u);
  EXPECT_EQ(empty.Errors[0],
            u"AppTheme is empty: the program would show \"Style '' not found\" at every start. "
            u"Remove the line for the native look, or name a style (see styles.md)");
}

TEST(SiteConfigTest, AMistypedSectionIsNamed) {
  EXPECT_EQ(Warnings("[Lumra]\nIndexPage=a.html\n"),
            std::vector<String>{u"lm-config has no [Lumora] section: every key takes its default (did you "
                                u"mean [Lumora] for [Lumra]?)"});
}

// A key a slip away from a known one would silently drop what it sets (a
// password above all): an error that names the key meant.
TEST(SiteConfigTest, AMistypedKeyIsAnErrorNamingTheKnownKey) {
  struct TCase {
    const char* Key;
    const char16_t* Meant;
  };
  const TCase cases[] = {
      {"AppPasword", u"AppPassword"},                                        // a letter left out
      {"AppTitel", u"AppTitle"},                                             // two letters swapped
      {"IndexPge", u"IndexPage"},         {"RootDirNames", u"RootDirName"},  // a letter too many
      {"apppassword2", u"AppPassword"},                                      // letter case does not count
      {"HideJSErrorz", u"HideJsErrors"},  {"Title", u"AppTitle"},            // "App" left out
      {"WindowWidth", u"AppWindowWidth"},
  };
  for (const TCase& c : cases) {
    const std::string text = std::string("[Lumora]\nIndexPage=a.html\n") + c.Key + "=x\n";
    const TConfigFindings refused = Findings(text);
    ASSERT_EQ(refused.Errors.size(), 1u) << c.Key;
    EXPECT_NE(refused.Errors[0].find(String(u"did you mean \"") + c.Meant + u"\"?"), String::npos)
        << ToUtf8(refused.Errors[0]);
    EXPECT_NE(refused.Errors[0].find(u"--allow-unknown-keys"), String::npos);
    const TConfigFindings allowed = Findings(text, true);
    EXPECT_TRUE(allowed.Errors.empty()) << c.Key;
    ASSERT_EQ(allowed.Warnings.size(), 1u) << c.Key;
    EXPECT_NE(allowed.Warnings[0].find(c.Meant), String::npos) << ToUtf8(allowed.Warnings[0]);
  }
}

TEST(SiteConfigTest, RecognisesUtf16WithoutAByteOrderMark) {
  const std::string ini = "[Lumora]\r\nIndexPage=site/index.html\r\n";
  std::string little;
  std::string big;
  for (char c : ini) {
    little += std::string{c, '\0'};
    big += std::string{'\0', c};
  }
  EXPECT_TRUE(TSiteConfig::IsUtf16WithoutMark(little));
  EXPECT_TRUE(TSiteConfig::IsUtf16WithoutMark(big));
  EXPECT_FALSE(TSiteConfig::IsUtf16WithoutMark("\xFF\xFE" + little));  // a mark: read as UTF-16
  EXPECT_FALSE(TSiteConfig::IsUtf16WithoutMark(ini));
  EXPECT_FALSE(TSiteConfig::IsUtf16WithoutMark(kBom + ini));
  EXPECT_FALSE(TSiteConfig::IsUtf16WithoutMark(""));
  EXPECT_FALSE(TSiteConfig::IsUtf16WithoutMark("a"));
}

TEST(SiteConfigTest, StartEntryIsIndexPageCleanedLikeARequest) {
  struct TCase {
    std::string IndexPage;
    String Entry;
  };
  const TCase cases[] = {
      {"site/index.html", u"site/index.html"},
      {"/site/index.html/", u"site/index.html"},
      {"site/page.htm?lang=en#top", u"site/page.htm"},
      {"site/a%20b+c.html", u"site/a b c.html"},
      {"site/100%.html", u""},  // an invalid escape empties the request
      {"", u""},
  };
  for (const TCase& c : cases) {
    TMemIniFile config;
    config.LoadFromBytes("[Lumora]\nIndexPage=" + c.IndexPage + "\n");
    EXPECT_EQ(TSiteConfig::StartEntryName(config), c.Entry) << c.IndexPage;
  }
  EXPECT_EQ(TSiteConfig::StartEntryName(TMemIniFile()), u"");
}

}  // namespace
}  // namespace lumora
