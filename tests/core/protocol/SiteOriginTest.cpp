#include "core/protocol/SiteOrigin.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

TEST(SiteOriginTest, OnlyPagesOfTheSchemeItselfAreItsOwn) {
  struct Case {
    const char16_t* Origin;
    const char16_t* Referer;
    bool Foreign;
  } cases[] = {
      {u"", u"", false},                                   // the program's own navigation
      {u"lmp://site", u"", false},
      {u"LMP://site", u"", false},                          // schemes ignore letter case
      {u"", u"lmp://site/index.html", false},
      {u"http://127.0.0.1:8000", u"", true},
      {u"http://127.0.0.1:8000", u"lmp://site/index.html", true},  // the Origin decides
      {u"lmp://site", u"http://127.0.0.1/", false},
      {u"null", u"", true},                                 // a sandboxed frame, a data: page
      {u"", u"https://example.com/page", true},
      {u"lmpx://site", u"", true},                          // a longer scheme is another one
      {u"lm://site", u"", true},
      {u"lmp", u"", true},                                  // no colon: no scheme at all
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsForeignRequest(u"lmp", {c.Origin, c.Referer}), c.Foreign)
        << ToUtf8(c.Origin) << " / " << ToUtf8(c.Referer);
  }
}

}  // namespace
}  // namespace lumora
