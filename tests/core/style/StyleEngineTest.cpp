// Discovery and selection of styles, over the embedded resources and,
// through the engine's resource source, deliberately bad extra ones.
#include <gtest/gtest.h>

#include "core/style/StyleEngine.h"
#include "core/style/StyleFile.h"

namespace lumora {
namespace {

std::vector<TStyleResource> EmbeddedPlus(std::vector<TStyleResource> extra) {
  std::vector<TStyleResource> resources = EmbeddedStyleResources();
  for (TStyleResource& resource : extra) resources.push_back(std::move(resource));
  return resources;
}

TStyleResource Broken(const char16_t* name) {
  std::vector<uint8_t> data = EmbeddedStyleResources().front().Data;
  data.resize(data.size() / 2);
  return {name, data};
}

TStyleResource Named(const char16_t* resourceName, const String& displayName) {
  TStyleDefinition style = ReadStyleFile(EmbeddedStyleResources().front().Data);
  style.Name = displayName;
  return {resourceName, WriteStyleFile(style)};
}

String DiscoveryError(TStyleEngine& engine) {
  try {
    engine.StyleNames();
  } catch (const EStyleDiscovery& error) {
    return error.Message();
  }
  return u"none";
}

TEST(StyleEngineTest, ListsWindowsFirstThenTheStylesInResourceOrder) {
  TStyleEngine engine(EmbeddedStyleResources);
  const std::vector<String> names = engine.StyleNames();
  ASSERT_EQ(names.size(), 34u);
  EXPECT_EQ(names[0], u"Windows");
  EXPECT_EQ(names[1], u"Amakrits");
  EXPECT_EQ(names[33], u"Yellow Graphite");
  EXPECT_EQ(engine.ActiveStyleName(), u"Windows");
  EXPECT_EQ(engine.ActiveStyle(), nullptr);
  EXPECT_TRUE(engine.Skipped().empty());
}

TEST(StyleEngineTest, SelectsByDisplayNameIgnoringCaseButNeverByResourceName) {
  TStyleEngine engine(EmbeddedStyleResources);
  int changes = 0;
  engine.SetOnChange([&] { ++changes; });
  struct Case {
    const char16_t* request;
    bool found;
    const char16_t* active;
  };
  const Case cases[] = {
      {u"carbon", true, u"Carbon"},
      {u"CARBON", true, u"Carbon"},
      {u"AQUAGRAPHITE", false, u"Carbon"},
      {u"Khaki", true, u"khaki"},
      {u"SEPIA", true, u"sepia"},
      {u"", false, u"sepia"},
      {u"Aqua  Graphite", false, u"sepia"},
      {u"wINDOWS", true, u"Windows"},
      {u"metro black", true, u"Metro Black"},
      {u"Metro Black", true, u"Metro Black"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(engine.SelectStyle(c.request), c.found) << ToUtf8(c.request);
    EXPECT_EQ(engine.ActiveStyleName(), c.active) << ToUtf8(c.request);
  }
  // Only real changes are announced: the repeated Metro Black is not.
  EXPECT_EQ(changes, 5);
  ASSERT_NE(engine.ActiveStyle(), nullptr);
  EXPECT_EQ(engine.ActiveStyle()->Name, u"Metro Black");
}

TEST(StyleEngineTest, ABrokenResourceIsSkippedAndReportedOnceDiscoveryIsOver) {
  TStyleEngine engine([] { return EmbeddedPlus({Broken(u"BROKEN")}); });
  EXPECT_EQ(DiscoveryError(engine), u"Unable to load style 'BROKEN'");
  ASSERT_EQ(engine.Skipped().size(), 1u);
  EXPECT_EQ(engine.Skipped()[0].Reason, u"Invalid style format");
  // The good styles were registered all the same, and discovery is not
  // repeated.
  EXPECT_EQ(engine.StyleNames().size(), 34u);
  EXPECT_TRUE(engine.SelectStyle(u"Sky"));
}

TEST(StyleEngineTest, SeveralSkippedResourcesAreNamedTogether) {
  int asked = 0;
  TStyleEngine engine([&] {
    ++asked;
    return EmbeddedPlus(
        {Broken(u"BROKEN"), Named(u"CARBON2", u"carbon"), Named(u"NATIVE", u"Windows"), Named(u"EXTRA", u"Extra")});
  });
  EXPECT_EQ(DiscoveryError(engine), u"Unable to load styles: BROKEN, CARBON2, NATIVE");
  ASSERT_EQ(engine.Skipped().size(), 3u);
  EXPECT_EQ(engine.Skipped()[1].Reason, u"Style 'carbon' already registered");
  EXPECT_EQ(engine.Skipped()[2].Reason, u"Style 'Windows' already registered");
  EXPECT_TRUE(engine.SelectStyle(u"extra"));
  EXPECT_TRUE(engine.SelectStyle(u"Carbon"));
  EXPECT_EQ(asked, 1);
}

TEST(StyleEngineTest, StyleDataIsTheRegisteredFileUnderItsExactName) {
  TStyleEngine engine(EmbeddedStyleResources);
  const std::vector<TStyleResource> resources = EmbeddedStyleResources();
  EXPECT_EQ(engine.StyleData(u"Carbon"), resources[6].Data);
  EXPECT_THROW(engine.StyleData(u"carbon"), EStyleNotFound);
  EXPECT_THROW(engine.StyleData(u"Windows"), EStyleNotFound);
}

}  // namespace
}  // namespace lumora
