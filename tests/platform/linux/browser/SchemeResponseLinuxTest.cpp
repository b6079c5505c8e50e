// The pure part of the WebKitGTK adapter: WebKit's URL back into the
// request text.
#include <gtest/gtest.h>

#include "platform/linux/browser/SchemeResponse.h"

namespace lumora::test {
namespace {

TEST(SchemeResponseLinux, OnlyNonAsciiUtf8EscapesAreUndone) {
  struct TCase {
    const char* uri;
    StringView url;
  };
  const TCase cases[] = {
      {"lmp://site/caf%C3%A9.html", u"lmp://site/caf\u00E9.html"},
      {"lmp://site/%E2%82%AC%F0%9F%98%80", u"lmp://site/\u20AC\U0001F600"},
      {"lmp://site/%c3%a9", u"lmp://site/\u00E9"},
      // ASCII escapes stay for the request handler's own decoding.
      {"lmp://site/a%20b%3Fc%2B%25.txt", u"lmp://site/a%20b%3Fc%2B%25.txt"},
      // Bytes that form no (or no shortest) UTF-8 sequence stay escaped.
      {"lmp://site/%E9.txt", u"lmp://site/%E9.txt"},
      {"lmp://site/%C3", u"lmp://site/%C3"},
      {"lmp://site/%C3%28", u"lmp://site/%C3%28"},
      {"lmp://site/%C0%AF", u"lmp://site/%C0%AF"},
      {"lmp://site/%ED%A0%80", u"lmp://site/%ED%A0%80"},
      {"lmp://site/%E2%82", u"lmp://site/%E2%82"},
      {"lmp://site/%", u"lmp://site/%"},
      {"lmp://site/%zz", u"lmp://site/%zz"},
      {"lmp://site/index.html?q=%C3%A9#top", u"lmp://site/index.html?q=\u00E9#top"},
  };
  for (const TCase& c : cases) EXPECT_EQ(UrlFromWebKit(c.uri), c.url) << c.uri;
}

}  // namespace
}  // namespace lumora::test
