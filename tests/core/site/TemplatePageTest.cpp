// The piece-table page against the plain search it stands in for: the same
// replacements on random pages built from the awkward fragments (partial
// markers, stray arrows, nested and unclosed directives, case variants,
// line breaks) must give the same text every time.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/site/TemplatePage.h"

namespace lumora::test {
namespace {

const StringView kDirectives[] = {
    u"<!--template:a.html-->", u"<!--TEMPLATE:A.HTML-->",
    u"<!--Template:b.html-->", u"<!--template:<!--template:a.html-->",
    u"<!--template:-->-->",    u"<!--template:\u0131.html-->",
};

const StringView kFragments[] = {
    u"<!--template:a.html-->",
    u"<!--TEMPLATE:A.HTML-->",
    u"<!--template:b.html-->",
    u"<!--template:",
    u"<!--templ",
    u"<",
    u"<!-",
    u"ate:a.html-->",
    u"-->",
    u"->",
    u"a.html",
    u"x",
    u"\n",
    u"\u0131",
    u"<!--template:-->-->",
    u"<!--Template:b.html-->",
    u"TEMPLATE:",
    u"<!--template:a.html",
};

String RandomText(std::mt19937& random, int maxFragments) {
  String text;
  const int count = std::uniform_int_distribution<int>(0, maxFragments)(random);
  for (int i = 0; i < count; ++i) {
    text += kFragments[std::uniform_int_distribution<size_t>(0, std::size(kFragments) - 1)(random)];
  }
  return text;
}

TEST(TemplatePage, PiecesAgreeWithThePlainSearch) {
  std::mt19937 random(20240917);
  int piecesUsed = 0;
  for (int round = 0; round < 3000; ++round) {
    const String text = RandomText(random, 12);
    TTemplatePage pieces(text);
    TTemplatePage plain(text, TTemplatePage::TStrategy::Plain);
    piecesUsed += pieces.UsesPieces() ? 1 : 0;
    for (int step = 0; step < 6; ++step) {
      const StringView directive =
          kDirectives[std::uniform_int_distribution<size_t>(0, std::size(kDirectives) - 1)(random)];
      const String replacement = RandomText(random, 4);
      ASSERT_EQ(pieces.Contains(directive), plain.Contains(directive));
      const size_t limit = std::uniform_int_distribution<size_t>(0, 8)(random) == 0 ? text.size() : 100000;
      ASSERT_EQ(pieces.ReplaceAll(directive, replacement, limit), plain.ReplaceAll(directive, replacement, limit));
      ASSERT_EQ(pieces.Text(), plain.Text()) << "round " << round << " step " << step;
      ASSERT_EQ(pieces.Length(), plain.Length());
    }
  }
  // The comparison means something only if both ways were taken often.
  EXPECT_GT(piecesUsed, 300);
  EXPECT_LT(piecesUsed, 2700);
}

TEST(TemplatePage, OrdinaryPagesKeepTheirPieces) {
  TTemplatePage page(u"<html><!--template:head.html--><body><!--template:nav.html-->\n</body></html>");
  EXPECT_TRUE(page.ReplaceAll(u"<!--template:head.html-->", u"<title>t</title><!--template:meta.html-->", 1000));
  EXPECT_TRUE(page.ReplaceAll(u"<!--TEMPLATE:NAV.HTML-->", u"<nav>a &lt; b</nav>", 1000));
  EXPECT_TRUE(page.UsesPieces());
  EXPECT_TRUE(page.Contains(u"<!--template:meta.html-->"));
  EXPECT_FALSE(page.Contains(u"<!--template:nav.html-->"));
  EXPECT_EQ(page.Text(), u"<html><title>t</title><!--template:meta.html--><body><nav>a &lt; b</nav>\n</body></html>");
}

}  // namespace
}  // namespace lumora::test
