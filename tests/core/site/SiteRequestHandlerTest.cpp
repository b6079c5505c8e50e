// Request resolution and page templates over archives built here: which
// request text reaches which entry, what template expansion does to a page
// (and what it leaves alone), the bound on passes, and the message of a
// failed extraction.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "core/ExeHtmlSite.h"
#include "core/site/SiteRequestHandler.h"
#include "core/zip/AbZipKit.h"
#include "support/TestSupport.h"
#include "support/ZipWriter.h"

namespace lumora::test {
namespace {

const std::string kPassword = TExeHtmlSite::kArchivePassword;

// name -> bytes, as the packer stores them: encrypted and deflated.
std::string SiteArchive(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::vector<TZipTestEntry> zipEntries;
  for (const auto& [name, data] : entries) {
    // Names in UTF-8, flagged as such.
    zipEntries.push_back({.Name = name, .Data = data, .Method = 8, .Password = kPassword, .ExtraFlags = 0x0800});
  }
  return BuildZip(zipEntries);
}

// An archive file opened by the reader, and a handler over it.
struct TSite {
  TScratchDir Dir;
  TAbZipKit Kit;
  std::vector<String> Messages;
  TSiteRequestHandler Handler;
  TInternetProtocol Sender;

  explicit TSite(const std::string& archive, String root = u"site")
      : Handler(Kit, std::move(root), [this](const String& text) { Messages.push_back(text); }) {
    const String path = Dir.File(u"site.zip");
    WriteWholeFile(path, archive);
    Kit.SetPassword(kPassword);
    Kit.SetFileName(path);
  }

  // The bytes served for request, or nullopt when no stream comes.
  std::optional<std::string> Serve(StringView request) {
    std::unique_ptr<TStream> stream;
    Handler.HandleProtocolRequest(Sender, String(request), stream);
    if (!stream) return std::nullopt;
    std::string bytes(static_cast<size_t>(stream->Size()), '\0');
    stream->SetPosition(0);
    stream->ReadBuffer(bytes.data(), stream->Size());
    return bytes;
  }
};

const std::string kHead = "<title>Head</title>";

TEST(SiteRequestHandler, RequestTextsResolveToEntries) {
  TSite site(SiteArchive({
      {"site/index.html", "<p><!--template:parts/head.html--></p>"},
      {"site/page.htm", "page"},
      {"site/parts/head.html", kHead},
      {"site/a?b.txt", "question"},
      {"site/a+b.txt", "plus"},
      {"site/a b.txt", "space"},
      {"site/empty.html", ""},
      {"site/dir/file.txt", "in dir"},
      {"site/caf\xC3\xA9.txt", "accented name"},
  }));
  struct TCase {
    StringView request;
    std::optional<std::string> served;
  };
  const std::string index = "<p>" + kHead + "</p>";
  const TCase cases[] = {
      {u"//site/index.html", index},
      {u"site/index.html", index},
      {u"///site/index.html//", index},
      {u"//site/index.html#top", index},
      {u"//site/page.htm?lang=en#top", "page"},
      {u"//site/%70age.htm", "page"},
      // ASCII case is ignored by the lookup, but ".HTML" is no HTML name.
      {u"//SITE/INDEX.HTML", "<p><!--template:parts/head.html--></p>"},
      // A folder is no entry; the slash before the query stays.
      {u"//site/dir/?x", std::nullopt},
      {u"//site/dir", std::nullopt},
      {u"//site/dir/file.txt", "in dir"},
      // "%3F" is decoded before the query is cut.
      {u"//site/a%3Fb.txt", std::nullopt},
      {u"//site/a?b.txt", std::nullopt},
      // "+" is a space; only "%2B" reaches a "+".
      {u"//site/a+b.txt", "space"},
      {u"//site/a%2Bb.txt", "plus"},
      {u"//site/a%20b.txt", "space"},
      // An invalid escape makes the whole name empty.
      {u"//site/%zzpage.htm", std::nullopt},
      {u"//site/page.htm%", std::nullopt},
      {u"//site/empty.html", ""},
      {u"//site/caf\u00E9.txt", "accented name"},
      // An escape is one code unit, never a UTF-8 byte.
      {u"//site/caf%E9.txt", "accented name"},
      {u"//site/caf%C3%A9.txt", std::nullopt},
      {u"//site/missing.html", std::nullopt},
      {u"", std::nullopt},
      {u"//", std::nullopt},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(site.Serve(c.request), c.served) << ToUtf8(c.request);
  }
  EXPECT_TRUE(site.Messages.empty());
}

// Serves the one page "site/page.html" holding page, next to the entries.
std::optional<std::string> Expand(const std::string& page,
                                  std::vector<std::pair<std::string, std::string>> entries = {}) {
  entries.emplace_back("site/page.html", page);
  entries.emplace_back("site/parts/head.html", kHead);
  entries.emplace_back("site/data.txt", "data");
  TSite site(SiteArchive(entries));
  const auto served = site.Serve(u"//site/page.html");
  EXPECT_TRUE(site.Messages.empty());
  return served;
}

TEST(SiteRequestHandler, TemplateDirectivesAreExpandedAsWritten) {
  struct TCase {
    const char* what;
    std::string page;
    std::string served;
  };
  const TCase cases[] = {
      {"plain directive", "a<!--template:parts/head.html-->b", "a" + kHead + "b"},
      {"space after the colon stays", "<!--template: parts/head.html-->", "<!--template: parts/head.html-->"},
      {"trailing spaces are trimmed", "<!--template:parts/head.html  -->", kHead},
      {"control characters are trimmed", "<!--template:parts/head.html\t-->", kHead},
      {"upper case without a lower-case marker", "<!--TEMPLATE:parts/head.html-->", "<!--TEMPLATE:parts/head.html-->"},
      {"upper case next to a lower-case marker", "<!--TEMPLATE:parts/head.html--><!--template:x-->",
       kHead + "<!--template:x-->"},
      {"mixed case in the name finds the entry", "<!--template:PARTS/Head.html-->", kHead},
      {"same directive twice", "1<!--template:parts/head.html-->2<!--template:parts/head.html-->3",
       "1" + kHead + "2" + kHead + "3"},
      {"copies in other letter case go with the first",
       "<!--template:parts/head.html--><!--Template:PARTS/HEAD.HTML-->", kHead + kHead},
      {"non-HTML entry stays", "<!--template:data.txt-->", "<!--template:data.txt-->"},
      {"missing entry stays", "<!--template:parts/none.html-->", "<!--template:parts/none.html-->"},
      {"upper-case extension stays", "<!--template:parts/head.HTML-->", "<!--template:parts/head.HTML-->"},
      {"line break in the name", "<!--template:parts/\nhead.html-->", "<!--template:parts/\nhead.html-->"},
      {"carriage return in the name", "<!--template:parts/\rhead.html-->", "<!--template:parts/\rhead.html-->"},
      {"form feed in the name", "<!--template:parts/\fhead.html-->", "<!--template:parts/\fhead.html-->"},
      {"name ends at the first -->", "<!--template:parts/head.html-->-->", kHead + "-->"},
      {"empty name", "<!--template:-->", "<!--template:-->"},
      {"unclosed directive", "<!--template:parts/head.html", "<!--template:parts/head.html"},
      {"no root folder prefix in the name", "<!--template:site/parts/head.html-->",
       "<!--template:site/parts/head.html-->"},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(Expand(c.page), c.served) << c.what;
  }
}

TEST(SiteRequestHandler, TemplateNamesAreRelativeToTheRootFolder) {
  TSite site(SiteArchive({
      {"site/sub/page.html", "<!--template:parts/head.html-->"},
      {"site/parts/head.html", kHead},
      {"site/sub/parts/head.html", "wrong one"},
  }));
  EXPECT_EQ(site.Serve(u"//site/sub/page.html"), kHead);

  // With another root the same archive gives nothing to include.
  TSite other(SiteArchive({{"site/page.html", "<!--template:parts/head.html-->"}, {"site/parts/head.html", kHead}}),
              u"elsewhere");
  EXPECT_EQ(other.Serve(u"//site/page.html"), "<!--template:parts/head.html-->");
}

TEST(SiteRequestHandler, NestedTemplatesTakeFurtherPasses) {
  const std::vector<std::pair<std::string, std::string>> entries = {
      {"site/outer.html", "[<!--template:inner.html-->]"},
      {"site/inner.html", "(<!--template:parts/head.html-->)"},
  };
  EXPECT_EQ(Expand("<!--template:outer.html-->", entries), "[(" + kHead + ")]");
  // A later replacement reaches copies its directive that earlier texts
  // brought in, within the same pass.
  EXPECT_EQ(Expand("<!--template:outer.html--><!--template:inner.html-->", entries),
            "[(" + kHead + ")](" + kHead + ")");
  // Only the first remaining directive decides about the next pass: a
  // skipped one in front stops it.
  EXPECT_EQ(Expand("<!--template:data.txt--><!--template:outer.html-->", entries),
            "<!--template:data.txt-->[<!--template:inner.html-->]");
}

TEST(SiteRequestHandler, PagesAreServedThroughTheAnsiCodePageOnlyWithAMarker) {
  const std::string utf8 = "caf\xC3\xA9 \xE2\x82\xAC \x81\x8D\x8F\x90\x9D";
  // Without "<!--template" the bytes are served as stored.
  EXPECT_EQ(Expand(utf8), utf8);
  // With it they pass through both conversions, which give them back.
  EXPECT_EQ(Expand(utf8 + "<!--template-->"), utf8 + "<!--template-->");
  // A byte-order mark at the start of an included entry ends up inside.
  EXPECT_EQ(Expand("a<!--template:bom.html-->b", {{"site/bom.html", "\xEF\xBB\xBFx"}}), "a\xEF\xBB\xBFxb");
  // The included entry is decoded with the same code page.
  EXPECT_EQ(Expand("<!--template:latin.html-->", {{"site/latin.html", "\xE9\x80"}}), "\xE9\x80");
}

TEST(SiteRequestHandler, CyclesOfTemplatesEndAtThePassBound) {
  // Each pass adds one "x" before the directive, which names itself.
  const auto grown = Expand("<!--template:loop.html-->", {{"site/loop.html", "x<!--template:loop.html-->"}});
  ASSERT_TRUE(grown);
  EXPECT_EQ(*grown, std::string(TSiteRequestHandler::kMaxTemplatePasses, 'x') + "<!--template:loop.html-->");

  // A template that includes itself twice doubles the page with every
  // match of a pass (1, 2, 8, 2048 directives after the first passes): the
  // bound on the page's length ends it, before the doubling that would
  // pass it.
  const std::string twice = "<!--template:two.html--><!--template:two.html-->";
  const auto doubled = Expand("<!--template:two.html-->", {{"site/two.html", twice}});
  ASSERT_TRUE(doubled);
  EXPECT_LE(doubled->size(), TSiteRequestHandler::kMaxPageLength);
  EXPECT_GT(doubled->size() * 2, TSiteRequestHandler::kMaxPageLength);
  EXPECT_EQ(doubled->size() % std::string("<!--template:two.html-->").size(), 0u);

  // Two pages that include each other.
  const auto mutual = Expand("<!--template:a.html-->",
                             {{"site/a.html", "a<!--template:b.html-->"}, {"site/b.html", "b<!--template:a.html-->"}});
  ASSERT_TRUE(mutual);
  EXPECT_EQ(mutual->substr(0, 4), "abab");
}

TEST(SiteRequestHandler, ExpansionStopsBeforeThePageOutgrowsItsBound) {
  // 40 copies of a directive naming a 2 MiB entry would make the page 80
  // MiB characters long: the replacement is not made, nor any after it.
  std::string page;
  for (int i = 0; i < 40; ++i) page += "<!--template:big.html-->";
  page += "<!--template:parts/head.html-->";
  const auto served = Expand(page, {{"site/big.html", std::string(2 * 1024 * 1024, 'b')}});
  ASSERT_TRUE(served);
  EXPECT_EQ(*served, page);
}

TEST(SiteRequestHandler, FailedExtractionIsShownAndNotServed) {
  std::vector<TZipTestEntry> entries = {
      {.Name = "site/bad.html", .Data = "<p>unverified</p>", .Method = 8, .Password = kPassword, .Crc = 1},
      {.Name = "site/good.html", .Data = "<!--template:bad.html-->", .Method = 8, .Password = kPassword},
  };
  TSite site(BuildZip(entries));
  // As the site object connects it: the reader's failure raised again.
  site.Kit.SetOnProcessItemFailure([](TAbZipKit&, const TAbZipItem&, TAbProcessType, const std::exception&) { throw; });
  EXPECT_EQ(site.Serve(u"//site/bad.html"), std::nullopt);
  EXPECT_EQ(site.Serve(u"//site/good.html?x"), std::nullopt);
  const std::vector<String> expected = {
      u"File \"site/bad.html\" can't be read. Error message: Failed CRC Check.",
      u"File \"site/good.html\" can't be read. Error message: Failed CRC Check.",
  };
  EXPECT_EQ(site.Messages, expected);
}

#ifdef __linux__
// Bytes this process has read from files so far (the kernel's count).
uint64_t BytesReadByThisProcess() {
  std::ifstream io("/proc/self/io");
  std::string key;
  uint64_t value = 0;
  while (io >> key >> value) {
    if (key == "rchar:") return value;
  }
  return 0;
}

// A large entry is not extracted for a request: a range of it reads what
// it needs of the archive, a stored one only its own bytes, a deflated one
// up to the range's end. (The reader's own buffers are all that is read
// besides.)
TEST(SiteRequestHandler, ARangeOfALargeEntryReadsOnlyWhatItNeeds) {
  const size_t size = TSiteRequestHandler::kMaxMemoryEntry + 2000000;
  std::string data(size, '\0');
  uint32_t state = 1;
  for (char& c : data) c = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
  TSite site(BuildZip({{.Name = "site/stored.bin", .Data = data, .Method = 0},
                       {.Name = "site/packed.bin", .Data = data, .Method = 8, .Password = kPassword}}));
  struct TCase {
    const char16_t* Request;
    uint64_t Offset;
    uint64_t MostRead;
  };
  for (const TCase& c : {TCase{u"//site/stored.bin", size - 100, 4096}, TCase{u"//site/packed.bin", 1000, 300000}}) {
    const uint64_t before = BytesReadByThisProcess();
    std::unique_ptr<TStream> stream;
    site.Handler.HandleProtocolRequest(site.Sender, c.Request, stream);
    ASSERT_TRUE(stream) << ToUtf8(c.Request);
    EXPECT_EQ(stream->Size(), static_cast<int64_t>(size));
    stream->SetPosition(static_cast<int64_t>(c.Offset));
    std::string bytes(10, '\0');
    stream->ReadBuffer(bytes.data(), 10);
    EXPECT_EQ(bytes, data.substr(c.Offset, 10)) << ToUtf8(c.Request);
    EXPECT_LT(BytesReadByThisProcess() - before, c.MostRead) << ToUtf8(c.Request);
  }
  EXPECT_TRUE(site.Messages.empty());
}
#endif

// The same resolution over an archive written by Info-ZIP, an independent
// writer of encrypted Deflate entries.
TEST(SiteRequestHandler, ServesAnInfoZipArchive) {
#ifdef _WIN32
  GTEST_SKIP() << "Info-ZIP runs on the build machine only";
#else
  if (std::system("zip -v >/dev/null 2>&1") != 0) GTEST_SKIP() << "no Info-ZIP";
  TScratchDir dir;
  const std::string root = ToUtf8(dir.Path());
  ASSERT_EQ(std::system(("mkdir -p '" + root + "/site/parts'").c_str()), 0);
  WriteWholeFile(dir.File(u"site/index.html"),
                 "<body><!--template:parts/head.html-->\n" + std::string(5000, 'z') + "</body>");
  WriteWholeFile(dir.File(u"site/parts/head.html"), kHead);
  const std::string command = "cd '" + root + "' && zip -q -r -P '" + kPassword + "' site.zip site";
  ASSERT_EQ(std::system(command.c_str()), 0);

  TSite site(ReadWholeFile(dir.File(u"site.zip")));
  EXPECT_EQ(site.Serve(u"//site/index.html"), "<body>" + kHead + "\n" + std::string(5000, 'z') + "</body>");
  EXPECT_EQ(site.Serve(u"//site/parts/HEAD.html"), kHead);
  // Info-ZIP stores folders as entries of their own ("site/parts/"). The
  // trailing slash of a request goes, so a folder is not reached, except
  // through the slash that a query keeps: then its empty entry is served.
  EXPECT_EQ(site.Serve(u"//site/parts/"), std::nullopt);
  EXPECT_EQ(site.Serve(u"//site/parts/?x"), "");
  EXPECT_TRUE(site.Messages.empty());
#endif
}

}  // namespace
}  // namespace lumora::test
