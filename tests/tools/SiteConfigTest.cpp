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
      {"UTF-8 without a mark gets one", "[Lumora]\nAppTitle=Caf\xC3\xA9\n",
       kBom + "[Lumora]\nAppTitle=Caf\xC3\xA9\n"},
      {"UTF-16LE is converted", std::string("\xFF\xFE[\0L\0]\0\n\0\xE9\0", 12),
       kBom + "[L]\n\xC3\xA9"},
      {"UTF-16BE is converted", std::string("\xFE\xFF\0[\0L\0]\0\n\0\xE9\x20\xAC", 14),
       kBom + "[L]\n\xC3\xA9\xE2\x82\xAC"},
      // Not UTF-8 and no mark: the runtime would have read the ANSI code page.
      {"ANSI text is converted", "AppTitle=Caf\xE9 \x80",
       kBom + "AppTitle=Caf\xC3\xA9 \xE2\x82\xAC"},
      {"an empty file gets a mark", "", kBom},
  };
  for (const TCase& c : cases) EXPECT_EQ(TSiteConfig::EntryBytes(c.File), c.Stored) << c.What;
}

std::vector<String> Warnings(const std::string& text) {
  TMemIniFile config;
  config.LoadFromBytes(TSiteConfig::EntryBytes(text));
  return TSiteConfig::Check(config);
}

TEST(SiteConfigTest, WarnsAboutWhatTheRuntimeIgnores) {
  EXPECT_EQ(Warnings("[Lumora]\nIndexPage=a.html\nappwindowwidth=0x400\nUseTrayIcon=-1\n"),
            std::vector<String>{});
  EXPECT_EQ(
      Warnings("[Lumora]\nIndexPage=a.html\nIndexPge=b.html\n"),
      std::vector<String>{u"unknown key \"IndexPge\" in lm-config: the runtime does not read it"});
  EXPECT_EQ(Warnings("[Lumora]\nUseTrayIcon=true\nAppWindowWidth=\n"),
            (std::vector<String>{
                u"UseTrayIcon = \"true\" is not a number: the runtime uses the default 0",
                u"AppWindowWidth = \"\" is not a number: the runtime uses the default 800"}));
  EXPECT_EQ(Warnings("[Settings]\nIndexPage=a.html\n"),
            std::vector<String>{u"lm-config has no [Lumora] section: every key takes its default"});
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
