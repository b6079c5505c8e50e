// UTF-8/UTF-16 conversions and the small text helpers.
#include <gtest/gtest.h>

#include "base/String.h"

namespace lumora {
namespace {

TEST(String, Utf8RoundTripKeepsSurrogatePairs) {
  const String text = u"a\u00FC\u20AC\U0001F600";
  EXPECT_EQ(ToUtf8(text), "a\xC3\xBC\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
}

TEST(String, MalformedUtf8BecomesReplacementCharacters) {
  struct Case {
    std::string bytes;
    bool valid;
  };
  const Case cases[] = {
      {"plain", true},
      {"\xC3\xBC", true},
      {"\xC0\xAF", false},          // overlong
      {"\xED\xA0\x80", false},      // surrogate
      {"\xF4\x90\x80\x80", false},  // above U+10FFFF
      {"\xE2\x82", false},          // truncated
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.bytes;
    if (!c.valid) {
      EXPECT_NE(FromUtf8(c.bytes).find(u'\uFFFD'), String::npos);
    }
  }
}

TEST(String, FormatAndTrailingDelimiter) {
  EXPECT_EQ(Format(u"Cannot open file \"%s\". %s", {u"x", u"why"}), u"Cannot open file \"x\". why");
  EXPECT_EQ(IncludeTrailingPathDelimiter(u""), String(1, PathDelim));
  EXPECT_EQ(IncludeTrailingPathDelimiter(String(u"a") + PathDelim), String(u"a") + PathDelim);
  EXPECT_EQ(UpperCaseAscii(u"ab\u00E9z"), u"AB\u00E9Z");
}

}  // namespace
}  // namespace lumora
