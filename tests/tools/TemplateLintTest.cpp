// The packer's template check: lines counted as the directive pattern
// counts them, every directive and look-alike reported once, and names
// resolved exactly as the runtime resolves them.
#include <gtest/gtest.h>

#include "pack/NearestName.h"
#include "pack/TemplateLint.h"

namespace lumora {
namespace {

const TTemplateLint kLint({u"site/index.html", u"site/parts/head.html", u"site/caf\u00E9.html", u"site/data.txt"},
                          u"site");

std::vector<String> Check(std::string_view page) { return kLint.Check(u"site/index.html", page); }

TEST(TemplateLintTest, ADirectiveThatIncludesSomethingIsNotMentioned) {
  EXPECT_EQ(Check("<!--template:parts/head.html-->"), std::vector<String>{});
  EXPECT_EQ(Check("<!--template:PARTS/head.html  -->"), std::vector<String>{}) << "folders in any case";
  EXPECT_EQ(Check("<!--template:parts/head.html--><!--TEMPLATE:parts/head.html-->"), std::vector<String>{});
  EXPECT_EQ(Check("no directives at all"), std::vector<String>{});
  EXPECT_EQ(Check("<!-- template of the menu -->"), std::vector<String>{}) << "a comment about templates";
}

TEST(TemplateLintTest, LinesAreCountedAsThePatternCountsThem) {
  // LF, CR LF (one break), a lone CR, a form feed: the bad directive is on
  // line 5.
  const std::vector<String> warnings = Check("a\nb\r\nc\rd\f<!--template:x.html-->");
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_TRUE(warnings[0].starts_with(u"site/index.html:5: template \"x.html\" includes nothing"))
      << ToUtf8(warnings[0]);
}

TEST(TemplateLintTest, EveryBadDirectiveIsReportedInPageOrder) {
  const std::vector<String> warnings = Check(
      "<!-- template:a.html -->\n<!--template:b.html--> <!--template:parts/head.html--> <!--template:data.txt-->");
  ASSERT_EQ(warnings.size(), 3u);
  EXPECT_TRUE(warnings[0].starts_with(u"site/index.html:1: \"<!-- template:a.html -->\" looks like"))
      << ToUtf8(warnings[0]);
  EXPECT_TRUE(warnings[1].starts_with(u"site/index.html:2: template \"b.html\"")) << ToUtf8(warnings[1]);
  EXPECT_TRUE(warnings[2].starts_with(u"site/index.html:2: template \"data.txt\"")) << ToUtf8(warnings[2]);
}

TEST(TemplateLintTest, ANameBeyondAsciiIsReadInTheAnsiCodePage) {
  // The runtime decodes the page with Windows-1252 before it matches, so
  // the UTF-8 name "café.html" becomes "cafÃ©.html" and includes nothing.
  const std::vector<String> warnings = Check("<!--template:caf\xC3\xA9.html-->");
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find(u"give the template an ASCII name"), String::npos) << ToUtf8(warnings[0]);
}

TEST(TemplateLintTest, NearestNameCountsOneSlipPerEdit) {
  EXPECT_EQ(EditDistance(u"AppTitel", u"AppTitle"), 1u);
  EXPECT_EQ(EditDistance(u"apppasword", u"AppPassword"), 1u);
  EXPECT_EQ(EditDistance(u"", u"abc"), 3u);
  const std::vector<String> keys{u"AppWindowMinWidth", u"AppWindowMaxWidth"};
  EXPECT_EQ(NearestName(u"AppWindowMinWidht", keys, 2), u"AppWindowMinWidth");
  EXPECT_EQ(NearestName(u"AppWindowMWidth", keys, 2), u"") << "a tie names nothing";
  EXPECT_EQ(NearestName(u"AppWindowMaxWidth", keys, 2), u"") << "an exact name is no slip";
}

}  // namespace
}  // namespace lumora
