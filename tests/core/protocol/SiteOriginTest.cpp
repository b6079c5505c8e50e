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
      {u"", u"", false},  // the program's own navigation
      {u"lmp://site", u"", false},
      {u"LMP://site", u"", false},  // schemes ignore letter case
      {u"", u"lmp://site/index.html", false},
      {u"http://127.0.0.1:8000", u"", true},
      {u"http://127.0.0.1:8000", u"lmp://site/index.html", true},  // the Origin decides
      {u"lmp://site", u"http://127.0.0.1/", false},
      {u"null", u"", true},  // a sandboxed frame, a data: page
      {u"", u"https://example.com/page", true},
      {u"lmpx://site", u"", true},  // a longer scheme is another one
      {u"lm://site", u"", true},
      {u"lmp", u"", true},  // no colon: no scheme at all
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsForeignRequest(u"lmp", {c.Origin, c.Referer}), c.Foreign)
        << ToUtf8(c.Origin) << " / " << ToUtf8(c.Referer);
  }
}

TEST(SiteOriginTest, HeaderBlocksGiveTheirOriginAndReferer) {
  struct Case {
    const char16_t* Headers;
    const char16_t* Origin;
    const char16_t* Referer;
  } cases[] = {
      {u"", u"", u""},
      {u"Referer: lmp://site/index.html\r\n", u"", u"lmp://site/index.html"},
      {u"Accept: */*\r\nreferer:http://127.0.0.1:8000/a?b=c:d\r\n", u"", u"http://127.0.0.1:8000/a?b=c:d"},
      {u"ORIGIN:  null \r\nReferer: http://x/\r\n", u"null", u"http://x/"},
      {u"Origin: lmp://site", u"lmp://site", u""},                     // the last line without its end
      {u"X-Referer: http://x/\r\nReferrer: http://x/\r\n", u"", u""},  // other names
      {u"Referer http://x/\r\n\r\n", u"", u""},                        // no colon: no header
  };
  for (const Case& c : cases) {
    const TRequestInitiator initiator = InitiatorFromHeaders(c.Headers);
    EXPECT_EQ(initiator.Origin, c.Origin) << ToUtf8(c.Headers);
    EXPECT_EQ(initiator.Referer, c.Referer) << ToUtf8(c.Headers);
  }
}

// The second wall of navigations: the backends refuse these before anything
// is saved or run.
TEST(SiteOriginTest, NavigationsIntoTheSiteNeedASitePageAtTheTop) {
  struct Case {
    const char16_t* Url;
    const char16_t* Shown;
    const char16_t* Referer;
    bool Refused;
  } cases[] = {
      {u"lmp://site/x.exe", u"", u"", false},  // the program's first page
      {u"lmp://site/x.exe", u"lmp://site/index.html", u"", false},
      {u"lmp://site/x.exe", u"lmp://site/index.html", u"lmp://site/index.html", false},
      {u"lmp://site/x.exe", u"about:blank", u"", false},                            // a new window
      {u"lmp://site/x.exe", u"lmp://site/index.html", u"http://127.0.0.1/", true},  // a foreign frame
      {u"lmp://site/x.exe", u"http://127.0.0.1/", u"", true},                       // a foreign page at the top
      {u"LMP://site/x.exe", u"file:///C:/a.html", u"", true},
      {u"http://127.0.0.1/next", u"http://127.0.0.1/", u"http://127.0.0.1/", false},  // not into the site
      {u"about:blank", u"http://127.0.0.1/", u"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsForeignNavigation(u"lmp", c.Url, c.Shown, {u"", c.Referer}), c.Refused)
        << ToUtf8(c.Url) << " / " << ToUtf8(c.Shown) << " / " << ToUtf8(c.Referer);
  }
}

TEST(SiteOriginTest, OtherOriginsOpenWindowsOnTheUsersActionOnly) {
  struct Case {
    const char16_t* Opener;
    bool User;
    bool Opens;
  } cases[] = {
      {u"lmp://site/index.html", false, true},
      {u"LMP://site/frame.html", false, true},
      {u"http://127.0.0.1/frame.html", false, false},
      {u"http://127.0.0.1/frame.html", true, true},
      {u"about:blank", false, false},  // a blank frame another origin made
      {u"data:text/html,x", false, false},
      {u"lmpx://site/", false, false},
      {u"", false, false},
      {u"", true, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MayOpenWindow(u"lmp", c.Opener, c.User), c.Opens) << ToUtf8(c.Opener) << " / " << c.User;
  }
}

TEST(SiteOriginTest, AWindowClosesForNoPageOfAnotherOrigin) {
  struct Case {
    const char16_t* Shown;
    bool Opened;
    bool OthersShown;
    bool Closes;
  } cases[] = {
      {u"lmp://site/index.html", false, false, true},
      {u"lmp://site/index.html", false, true, false},  // a foreign frame or window may ask
      {u"http://127.0.0.1/", false, false, false},
      {u"about:blank", false, false, false},
      {u"", false, false, false},
      {u"lmp://site/popup.html", true, false, true},
      {u"lmp://site/popup.html", true, true, false},  // opener.close() of a foreign page it opened
      {u"about:blank", true, false, true},            // where a new window starts
      {u"http://127.0.0.1/", true, false, false},
      {u"file:///C:/a.html", true, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MayCloseOnRequest(u"lmp", c.Shown, c.Opened, c.OthersShown), c.Closes)
        << ToUtf8(c.Shown) << " / " << c.Opened << " / " << c.OthersShown;
  }
}

}  // namespace
}  // namespace lumora
