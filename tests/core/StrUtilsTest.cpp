// The string helpers: URL escaping, cleaning, splitting, colours, sizes and
// random names.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <random>
#include <set>

#include "core/StrUtils.h"
#include "os/Locale.h"
#include "os/SysColor.h"

namespace lumora {
namespace {

// Text of random code units below limit, from a fixed seed.
String RandomUnits(std::mt19937& random, size_t length, char16_t limit) {
  std::uniform_int_distribution<int> unit(0, limit - 1);
  String text;
  for (size_t i = 0; i < length; ++i) text += static_cast<char16_t>(unit(random));
  return text;
}

TEST(StrUtils, UrlEncode) {
  struct Case {
    String in, out;
  };
  const Case cases[] = {
      {u"", u""},
      {u"a b/~", u"a%20b%2F%7E"},
      {u"AZaz09-._", u"AZaz09-._"},
      {u"+", u"%2B"},
      {String(1, u'\0'), u"%00"},
      {u"\u00FC", u"%FC"},
      {u"\u20AC", u"%20AC"},
      {u"\U0001F600", u"%D83D%DE00"},  // each half of the pair on its own
  };
  for (const auto& c : cases) EXPECT_EQ(TStrUtils::UrlEncode(c.in), c.out) << ToUtf8(c.in);
}

TEST(StrUtils, UrlDecode) {
  struct Case {
    String in, out;
  };
  const Case cases[] = {
      {u"", u""},
      {u"a+b%2Fc%2b", u"a b/c+"},
      {u"%41%4", u"A\u0004"},        // one digit at the very end is enough
      {u"%C3%A9", u"\u00C3\u00A9"},  // escapes are not combined as UTF-8
      {u"%ff%00", String(u"\u00FF") + u'\0'},
      {u"plain", u"plain"},
      // Every bad escape discards the whole text.
      {u"50%", u""},
      {u"%zz", u""},
      {u"x%4g", u""},
      {u"ok%", u""},
      {u"%%41", u""},
      {u"%+1", u""},
      {u"%\u0661\u0662", u""},  // non-ASCII digits are not hex digits
  };
  for (const auto& c : cases) EXPECT_EQ(TStrUtils::UrlDecode(c.in), c.out) << ToUtf8(c.in);
}

TEST(StrUtils, UrlDecodeRestoresWhatUrlEncodeWrote) {
  std::mt19937 random(1);
  for (int round = 0; round < 200; ++round) {
    const String text = RandomUnits(random, round % 40, 256);
    EXPECT_EQ(TStrUtils::UrlDecode(TStrUtils::UrlEncode(text)), text);
  }
  // Above 255 the escape has more than two digits, which decoding does not
  // read back: only units below 256 survive a round trip.
  EXPECT_NE(TStrUtils::UrlDecode(TStrUtils::UrlEncode(u"\u20AC")), u"\u20AC");
}

TEST(StrUtils, RemoveSideSlashesAndQuery) {
  struct Case {
    String in, out;
  };
  const Case slashes[] = {
      {u"//pages/a.html//", u"pages/a.html"},
      {u"///", u""},
      {u"/", u""},
      {u"", u""},
      {u"\\a\\", u"\\a\\"},
      {u"a//b", u"a//b"},
  };
  for (const auto& c : slashes) {
    EXPECT_EQ(TStrUtils::RemoveSideSlashes(c.in), c.out) << ToUtf8(c.in);
  }
  const Case queries[] = {
      {u"page.html?x=1#top", u"page.html"}, {u"a#b?c", u"a"}, {u"a/b.html", u"a/b.html"}, {u"?x", u""}, {u"", u""},
  };
  for (const auto& c : queries) {
    EXPECT_EQ(TStrUtils::RemoveQueryFromUri(c.in), c.out) << ToUtf8(c.in);
  }
}

TEST(StrUtils, ExplodeAndImplode) {
  struct Case {
    String separator, text;
    TArrayStrings pieces;
  };
  const Case cases[] = {
      {u"::", u"a::b", {u"a", u"b"}},
      {u",", u"", {u""}},
      {u",", u"a,,b,", {u"a", u"", u"b", u""}},
      {u",", u",", {u"", u""}},
      {u"aa", u"aaa", {u"", u"a"}},  // matches are taken from the front
      {u"", u"a,b", {u"a,b"}},
      {u" ", u"zip mp3 mp4", {u"zip", u"mp3", u"mp4"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TStrUtils::ExplodeStrings(c.separator, c.text), c.pieces) << ToUtf8(c.text);
    EXPECT_EQ(TStrUtils::ImplodeStrings(c.separator, c.pieces), c.text) << ToUtf8(c.text);
  }
  EXPECT_EQ(TStrUtils::ImplodeStrings(u", ", {u"a", u"b"}), u"a, b");
  EXPECT_EQ(TStrUtils::ImplodeStrings(u", ", {u"a"}), u"a");
  EXPECT_EQ(TStrUtils::ImplodeStrings(u", ", {}), u"");
}

TEST(StrUtils, ImplodeUndoesExplode) {
  std::mt19937 random(2);
  for (int round = 0; round < 300; ++round) {
    // A tiny alphabet so that separators, repeats and overlaps are common.
    const String separator = RandomUnits(random, 1 + round % 3, 3);
    const String text = RandomUnits(random, round % 30, 3);
    const TArrayStrings pieces = TStrUtils::ExplodeStrings(separator, text);
    EXPECT_EQ(TStrUtils::ImplodeStrings(separator, pieces), text);
    for (const auto& piece : pieces) EXPECT_EQ(piece.find(separator), String::npos);
  }
}

TEST(StrUtils, RepeatString) {
  EXPECT_EQ(TStrUtils::RepeatString(u"ab", 3), u"ababab");
  EXPECT_EQ(TStrUtils::RepeatString(u"ab", 0), u"");
  EXPECT_EQ(TStrUtils::RepeatString(u"", 7), u"");
}

TEST(StrUtils, FormatByteSize) {
  const String sep(1, SystemDecimalSeparator());
  struct Case {
    int64_t bytes;
    String text;
  };
  const Case cases[] = {
      {0, u" bytes"},
      {1, u"1 bytes"},
      {-5, u"-5 bytes"},
      {INT64_MIN, u"-9223372036854775808 bytes"},
      {1024, u"1024 bytes"},          // units start strictly above
      {1025, u"1 KB"},                // 1.00 loses its zeros
      {1126, u"1" + sep + u"1 KB"},   // 1.0996 rounds to 1.10
      {1152, u"1" + sep + u"13 KB"},  // exactly 1.125: half goes up
      {1536, u"1" + sep + u"5 KB"},
      {2047, u"2 KB"},  // rounding carries into the units
      {1048576, u"1024 KB"},
      {1048577, u"1 MB"},
      {1073741824, u"1024 MB"},
      {1073741825, u"1 GB"},
      {int64_t{5} << 29, u"2" + sep + u"5 GB"},
      {INT64_MAX, u"8589934592 GB"},
  };
  for (const auto& c : cases) EXPECT_EQ(TStrUtils::FormatByteSize(c.bytes), c.text) << c.bytes;
}

TEST(StrUtils, Colours) {
  EXPECT_EQ(TStrUtils::ColorToWebRGB(0x0A0B0C, false), u"0C0B0A");
  EXPECT_EQ(TStrUtils::ColorToWebRGB(0x0000FF, true), u"#FF0000");
  EXPECT_EQ(TStrUtils::ColorToWebRGB(0, true), u"#000000");
  EXPECT_EQ(TStrUtils::ColorToWebRGB(0x12FFFFFF, false), u"FFFFFF");  // bits 24-31 unused

  EXPECT_EQ(TStrUtils::GetInvertedColor(0xFFFFFF), 0x7F7F7F);
  EXPECT_EQ(TStrUtils::GetInvertedColor(0), 0x808080);
  EXPECT_EQ(TStrUtils::GetInvertedColor(0x12345678), 0xB4D6F8);  // no carry, top byte cleared

  // A negative colour is the system colour its low byte names (here 5, the
  // window background), whatever its other bits.
  const uint32_t window = GetSystemColor(5);
  for (const TColor system : {static_cast<TColor>(0xFF000005), static_cast<TColor>(0x80001205)}) {
    EXPECT_EQ(TStrUtils::GetInvertedColor(system), static_cast<TColor>(window ^ 0x808080));
    String hex;
    for (int shift : {0, 8, 16}) {
      const unsigned byte = (window >> shift) & 0xFF;
      hex += u"0123456789ABCDEF"[byte >> 4];
      hex += u"0123456789ABCDEF"[byte & 0xF];
    }
    EXPECT_EQ(TStrUtils::ColorToWebRGB(system, false), hex);
  }
}

TEST(StrUtils, GetGUIDIsARandomRegistryFormGuidWithoutBraces) {
  std::set<String> seen;
  for (int round = 0; round < 100; ++round) {
    const String guid = TStrUtils::GetGUID();
    ASSERT_EQ(guid.size(), 36u);
    for (size_t i = 0; i < guid.size(); ++i) {
      if (i == 8 || i == 13 || i == 18 || i == 23) {
        EXPECT_EQ(guid[i], u'-') << ToUtf8(guid);
      } else {
        EXPECT_NE(String(u"0123456789ABCDEF").find(guid[i]), String::npos) << ToUtf8(guid);
      }
    }
    EXPECT_EQ(guid[14], u'4') << ToUtf8(guid);                                // version
    EXPECT_NE(String(u"89AB").find(guid[19]), String::npos) << ToUtf8(guid);  // variant
    EXPECT_TRUE(seen.insert(guid).second) << ToUtf8(guid);
  }
}

TEST(StrUtils, RandomStringIsLettersOnly) {
  EXPECT_EQ(TStrUtils::RandomString(0), u"");
  EXPECT_EQ(TStrUtils::RandomString(-1), u"");
  const String name = TStrUtils::RandomString(10);
  ASSERT_EQ(name.size(), 10u);
  for (char16_t c : name) EXPECT_TRUE((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'));
  EXPECT_NE(TStrUtils::RandomString(10), name);
}

TEST(StrUtils, RandomStringDrawsEveryLetterEvenly) {
  // 2000 expected per letter, standard deviation about 44. A modulo bias
  // (256 % 52 = 48) would leave four letters near 1625: far outside.
  const String text = TStrUtils::RandomString(52 * 2000);
  std::map<char16_t, int> counts;
  for (char16_t c : text) ++counts[c];
  ASSERT_EQ(counts.size(), 52u);
  for (const auto& [letter, count] : counts) {
    EXPECT_TRUE((letter >= u'a' && letter <= u'z') || (letter >= u'A' && letter <= u'Z'));
    EXPECT_NEAR(count, 2000, 300) << static_cast<char>(letter);
  }
}

}  // namespace
}  // namespace lumora
