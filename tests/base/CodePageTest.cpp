// Windows-1252 by table, and the platform's ANSI code page against it.
#include <gtest/gtest.h>

#include "base/CodePage.h"
#include "os/CodePage.h"

namespace lumora {
namespace {

std::string AllBytes() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

TEST(CodePage, Windows1252RoundTripsEveryByte) {
  const String text = DecodeWindows1252(AllBytes());
  ASSERT_EQ(text.size(), 256u);
  EXPECT_EQ(text[0x41], u'A');
  EXPECT_EQ(text[0x80], u'\u20AC');
  EXPECT_EQ(text[0x81], u'\u0081');  // unassigned: the C1 control, as Windows does
  EXPECT_EQ(text[0x8A], u'\u0160');
  EXPECT_EQ(text[0x9F], u'\u0178');
  EXPECT_EQ(text[0xE9], u'\u00E9');
  EXPECT_EQ(EncodeWindows1252(text), AllBytes());
}

TEST(CodePage, Windows1252WritesQuestionMarksForWhatItLacks) {
  struct Case {
    String text;
    std::string bytes;
  };
  const Case cases[] = {
      {u"caf\u00E9 \u20AC", "caf\xE9 \x80"},
      {u"\u0100", "?"},                                 // no best-fit "A"
      {u"a\U0001F600b", "a?b"},                         // one "?" for a whole pair
      {String(u"a") + char16_t(0xD800) + u"b", "a?b"},  // a lone surrogate
      {u"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(EncodeWindows1252(c.text), c.bytes) << c.bytes;
}

TEST(CodePage, AnsiMatchesWindows1252OnA1252System) {
  // Linux always uses the table; Windows uses its own ANSI code page, which
  // only has to agree where that code page is 1252.
  if (DecodeAnsi("\x80") != u"\u20AC") GTEST_SKIP() << "the ANSI code page is not 1252";
  EXPECT_EQ(DecodeAnsi(AllBytes()), DecodeWindows1252(AllBytes()));
  const String text = u"caf\u00E9 \u20AC \u0100 \u3042";
  EXPECT_EQ(EncodeAnsi(text), EncodeWindows1252(text));
  EXPECT_EQ(DecodeAnsi(""), u"");
  EXPECT_EQ(EncodeAnsi(u""), "");
}

}  // namespace
}  // namespace lumora
