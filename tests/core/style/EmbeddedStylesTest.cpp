// The 33 styles built into the program: their names, their legibility, and
// that no two of them look alike.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "core/style/StyleContrast.h"
#include "core/style/StyleFile.h"
#include "os/StyleResources.h"

namespace lumora {
namespace {

struct TNamedStyle {
  std::u16string_view ResourceName;
  std::u16string_view DisplayName;
  bool Dark;
};

constexpr TNamedStyle ExpectedStyles[] = {
    {u"AMAKRITS", u"Amakrits", true},
    {u"AMETHYSTKAMRI", u"Amethyst Kamri", false},
    {u"AQUAGRAPHITE", u"Aqua Graphite", true},
    {u"AQUALIGHTSLATE", u"Aqua Light Slate", false},
    {u"AURIC", u"Auric", true},
    {u"BLUEGRAPHITE", u"Blue Graphite", true},
    {u"CARBON", u"Carbon", true},
    {u"CHARCOALDARKSLATE", u"Charcoal Dark Slate", true},
    {u"COBALTXEMEDIA", u"Cobalt XEMedia", true},
    {u"CYANDUSK", u"Cyan Dusk", true},
    {u"CYANNIGHT", u"Cyan Night", true},
    {u"EMERALDLIGHTSLATE", u"Emerald Light Slate", false},
    {u"GOLDENGRAPHITE", u"Golden Graphite", true},
    {u"GREENGRAPHITE", u"Green Graphite", true},
    {u"ICEBERGCLASSICO", u"Iceberg Classico", false},
    {u"KHAKI", u"khaki", false},
    {u"LAVENDERCLASSICO", u"Lavender Classico", false},
    {u"LIGHTGREEN", u"Light Green", false},
    {u"LILAC", u"Lilac", false},
    {u"METROBLACK", u"Metro Black", true},
    {u"METROBLUE", u"Metro Blue", true},
    {u"METROGREEN", u"Metro Green", true},
    {u"ORANGE", u"Orange", false},
    {u"ORANGEGRAPHITE", u"Orange Graphite", true},
    {u"PINK", u"Pink", false},
    {u"RUBYGRAPHITE", u"Ruby Graphite", true},
    {u"SAPPHIREKAMRI", u"Sapphire Kamri", false},
    {u"SEPIA", u"sepia", false},
    {u"SKY", u"Sky", false},
    {u"SLATECLASSICO", u"Slate Classico", false},
    {u"SMOKEYQUARTZKAMRI", u"Smokey Quartz Kamri", false},
    {u"TURQUOISEGRAY", u"Turquoise Gray", false},
    {u"YELLOWGRAPHITE", u"Yellow Graphite", true},
};

std::map<String, TStyleDefinition> EmbeddedStyles() {
  std::map<String, TStyleDefinition> styles;
  for (const TStyleResource& resource : EmbeddedStyleResources()) styles[resource.Name] = ReadStyleFile(resource.Data);
  return styles;
}

double Luminance(TStyleColor color) { return (ContrastRatio(color, TStyleColor{0}) - 1) / 20; }

TEST(EmbeddedStylesTest, AreTheThirtyThreeNamedStylesInResourceOrder) {
  const std::vector<TStyleResource> resources = EmbeddedStyleResources();
  ASSERT_EQ(resources.size(), std::size(ExpectedStyles));
  for (size_t i = 0; i < resources.size(); ++i) {
    const TStyleDefinition style = ReadStyleFile(resources[i].Data);
    EXPECT_EQ(resources[i].Name, ExpectedStyles[i].ResourceName);
    EXPECT_EQ(style.Name, ExpectedStyles[i].DisplayName);
    EXPECT_EQ(style.Version, u"1.0");
    EXPECT_FALSE(style.Author.empty());
    // Light or dark as its name promises, judged by the window colour.
    EXPECT_EQ(Luminance(style.Color(TStyleColorRole::Window)) < 0.2, ExpectedStyles[i].Dark) << ToUtf8(style.Name);
  }
}

TEST(EmbeddedStylesTest, AllTextIsReadableOnItsBackground) {
  for (const auto& [resource, style] : EmbeddedStyles())
    for (const TStyleTextPair& pair : StyleTextPairs)
      EXPECT_GE(ContrastRatio(style.Color(pair.Text), style.Color(pair.Background)), MinimumTextContrast)
          << ToUtf8(resource) << ": " << StyleColorKeys[static_cast<size_t>(pair.Text)] << " on "
          << StyleColorKeys[static_cast<size_t>(pair.Background)];
}

TEST(EmbeddedStylesTest, NoTwoStylesLookAlike) {
  // What the eye takes in first: window, caption and accent colours. Two
  // styles must differ clearly in at least one of them.
  const auto distance = [](TStyleColor a, TStyleColor b) {
    const double dr = a.Red() - b.Red(), dg = a.Green() - b.Green(), db = a.Blue() - b.Blue();
    return std::sqrt(dr * dr + dg * dg + db * db);
  };
  const auto styles = EmbeddedStyles();
  for (auto a = styles.begin(); a != styles.end(); ++a)
    for (auto b = std::next(a); b != styles.end(); ++b) {
      double largest = 0;
      for (TStyleColorRole role : {TStyleColorRole::Window, TStyleColorRole::CaptionActive, TStyleColorRole::Accent})
        largest = std::max(largest, distance(a->second.Color(role), b->second.Color(role)));
      EXPECT_GE(largest, 48.0) << ToUtf8(a->first) << " and " << ToUtf8(b->first);
    }
}

}  // namespace
}  // namespace lumora
