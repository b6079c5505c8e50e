// Content types by extension for the backends that must name them.
#include <gtest/gtest.h>

#include "core/protocol/MimeTypes.h"

namespace lumora::test {
namespace {

TEST(MimeTypes, ByExtensionIgnoringAsciiCase) {
  struct TCase {
    StringView name;
    StringView type;
  };
  const TCase cases[] = {
      {u"site/index.html", u"text/html"},
      {u"site/INDEX.HTM", u"text/html"},
      {u"site/app.mjs", u"text/javascript"},
      {u"site/lib.js", u"text/javascript"},
      {u"site/style.css", u"text/css"},
      {u"site/data.json", u"application/json"},
      {u"site/logo.svg", u"image/svg+xml"},
      {u"site/a.PNG", u"image/png"},
      {u"site/a.jpeg", u"image/jpeg"},
      {u"site/font.woff2", u"font/woff2"},
      {u"site/m.wasm", u"application/wasm"},
      {u"site/v.webm", u"video/webm"},
      {u"site/s.mp3", u"audio/mpeg"},
      {u"site/d.pdf", u"application/pdf"},
      // Unknown or missing extensions leave the type to the browser.
      {u"site/README", u""},
      {u"site/archive.tar.xyz", u""},
      {u"site/v1.2/page", u""},
      {u"site/.html/x", u""},
      {u"", u""},
      {u"site/file.", u""},
  };
  for (const TCase& c : cases) EXPECT_EQ(TMimeTypes::ForName(c.name), c.type) << ToUtf8(c.name);
}

}  // namespace
}  // namespace lumora::test
