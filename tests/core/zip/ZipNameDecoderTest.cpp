// Entry names: the UTF-8 flag and validity, the 0x7075 and 0x554E blocks,
// and the guess between the OEM and ANSI code pages.
#include <gtest/gtest.h>

#include "ZipTestKit.h"
#include "base/CodePage.h"
#include "base/CodePage437.h"
#include "core/zip/ZipNameDecoder.h"
#include "os/CodePage.h"

namespace lumora::test {
namespace {

constexpr uint16_t kMsDos = 0x0014;
constexpr uint16_t kUnix = 0x0314;

const TZipCodePages kWestern{1252, 437, &DecodeWindows1252, &DecodeCodePage437};

std::span<const uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

std::string UnicodePath(const std::string& raw, const std::string& utf8, uint8_t version = 1) {
  return ExtraBlock(0x7075, std::string(1, static_cast<char>(version)) + Le32(Crc32(raw)) + utf8);
}

std::string Utf16Block(const std::u16string& name, int sizeSkew = 0) {
  std::string data = Le32(0x5843554E) + Le32(static_cast<uint32_t>(name.size()));
  for (const char16_t unit : name) data += Le16(unit);
  data.resize(static_cast<size_t>(static_cast<int>(data.size()) + sizeSkew), '\0');
  return ExtraBlock(0x554E, data);
}

TEST(ZipNameDecoder, RulesApplyInOrder) {
  struct Case {
    const char* what;
    std::string raw;
    uint16_t flags;
    uint16_t madeBy;
    std::string extra;
    String expected;
  };
  const Case cases[] = {
      {"ASCII", "dir/file.txt", 0, kUnix, "", u"dir/file.txt"},
      {"rule 1: UTF-8 flag", "\xC3\xA9t\xC3\xA9", 0x0800, kMsDos, "", u"\u00E9t\u00E9"},
      {"rule 1: flag on invalid UTF-8", "\xE9", 0x0800, kMsDos, "", u"\uFFFD"},
      {"rule 1: valid UTF-8 without the flag", "\xC3\xA9t\xC3\xA9", 0, kMsDos, "", u"\u00E9t\u00E9"},
      {"rule 1: beats the 0x7075 block", "\xE2\x82\xAC", 0, kMsDos, UnicodePath("\xE2\x82\xAC", "other"), u"\u20AC"},
      {"rule 2: Unicode path block", "\x82t\x82", 0, kMsDos, UnicodePath("\x82t\x82", "\xC3\xA9t\xC3\xA9"),
       u"\u00E9t\u00E9"},
      {"rule 2: even for an ASCII name", "ete", 0, kUnix, UnicodePath("ete", "\xC3\xA9t\xC3\xA9"), u"\u00E9t\u00E9"},
      {"rule 2: stale CRC falls through", "\x82", 0, kMsDos, UnicodePath("other", "x"), u"\u00E9"},
      {"rule 2: version 2 falls through", "\x82", 0, kMsDos, UnicodePath("\x82", "xx", 2), u"\u00E9"},
      {"rule 2: after other blocks", "\x82", 0, kMsDos,
       ExtraBlock(0x000A, std::string(32, '\0')) + UnicodePath("\x82", "\xC3\xA8"), u"\u00E8"},
      {"rule 3: UTF-16 name block", "\x82", 0, kMsDos, Utf16Block(u"\u0416.txt"), u"\u0416.txt"},
      {"rule 3: wrong size falls through", "\x82", 0, kMsDos, Utf16Block(u"\u0416.txt", 2), u"\u00E9"},
      {"rule 4: MS-DOS name in OEM", "\xE9t\xE9", 0, kMsDos, "", u"\u0398t\u0398"},
      {"rule 4: OEM letters that are not ANSI letters", "caf\x82", 0, kUnix, "", u"caf\u00E9"},
      {"rule 4: letters in both: ANSI", "\xE9t\xE9", 0, kUnix, "", u"\u00E9t\u00E9"},
      {"rule 4: not an OEM letter: ANSI",
       "\xB0"
       "C",
       0, kUnix, "", u"\u00B0C"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TZipNameDecoder::Decode(c.raw, c.flags, c.madeBy, Bytes(c.extra), kWestern), c.expected) << c.what;
  }
}

TEST(ZipNameDecoder, CodePageChoice) {
  const TZipCodePages sameAnsiAndOem{1252, 1252, &DecodeWindows1252, &DecodeCodePage437};
  const TZipCodePages oemWithoutTable{1252, 932, &DecodeWindows1252, &DecodeCodePage437};
  // With equal code pages even an MS-DOS name is read as ANSI.
  EXPECT_EQ(TZipNameDecoder::Decode("\xE9", 0, kMsDos, {}, sameAnsiAndOem), u"\u00E9");
  // An OEM page without letter tables never wins the guess...
  EXPECT_EQ(TZipNameDecoder::Decode("caf\x82", 0, kUnix, {}, oemWithoutTable), u"caf\u201A");
  // ...but an MS-DOS name is still OEM.
  EXPECT_EQ(TZipNameDecoder::Decode("caf\x82", 0, kMsDos, {}, oemWithoutTable), u"caf\u00E9");
}

TEST(ZipNameDecoder, Utf8Validity) {
  struct Case {
    std::string raw;
    bool utf8;
  };
  const Case cases[] = {
      {"ascii only", false},
      {"\xC3\xA9", true},
      {"\xC3", false},
      {"\xC1\x81", false},
      {"\xC3\x41", false},
      {"\xE2\x82\xAC", true},
      {"\xE2\x82", false},
      {"\xF4\x8F\xBF\xBF", true},
      {"\xF5\x80\x80\x80", false},
      {"\x80", false},
      // The lead-byte rule alone decides: a surrogate's encoding passes.
      {"\xED\xA0\x80", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TZipNameDecoder::IsUtf8Name(c.raw), c.utf8) << c.raw;
  }
}

TEST(ZipNameDecoder, ArchiveNamesThroughTheDirectory) {
  TZipTestKit zip(BuildZip({
      {.Name = "\xC3\xA9t\xC3\xA9.txt", .Data = "1", .ExtraFlags = 0x0800},
      {.Name = "\x82t\x82.txt", .Data = "2", .Extra = UnicodePath("\x82t\x82.txt", "\xC3\xA8.txt")},
      {.Name = "x.txt", .Data = "3", .Extra = Utf16Block(u"\u0416.txt")},
      {.Name = "\x84.txt", .Data = "4"},  // MS-DOS: ä in 437
  }));
  EXPECT_EQ(zip.Extract(u"\u00E9t\u00E9.txt"), "1");
  EXPECT_EQ(zip.Extract(u"\u00E8.txt"), "2");
  EXPECT_EQ(zip.Extract(u"\u0416.txt"), "3");
  // An MS-DOS name is read in the system's OEM code page (437 on Linux: ä).
  const String dosName = SystemAnsiCodePage() == SystemOemCodePage() ? DecodeAnsi("\x84.txt") : DecodeOem("\x84.txt");
  EXPECT_EQ(zip.Extract(dosName), "4");
#ifndef _WIN32
  EXPECT_EQ(dosName, u"\u00E4.txt");
#endif
}

}  // namespace
}  // namespace lumora::test
