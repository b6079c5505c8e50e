// The pure parts of the WebKitGTK adapter: WebKit's URL back into the
// request text, Range headers, and the cache of recently served entries.
#include <gtest/gtest.h>

#include "os/linux/SchemeResponse.h"

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

TEST(SchemeResponseLinux, RangeHeaders) {
  struct TCase {
    const char* header;
    uint64_t total;
    TByteRange::TKind kind;
    uint64_t first;
    uint64_t last;
  };
  const TCase cases[] = {
      {"bytes=0-", 100, TByteRange::Satisfiable, 0, 99},
      {"bytes=10-19", 100, TByteRange::Satisfiable, 10, 19},
      {"bytes=90-200", 100, TByteRange::Satisfiable, 90, 99},
      {" bytes=5-5 ", 100, TByteRange::Satisfiable, 5, 5},
      {"bytes=-10", 100, TByteRange::Satisfiable, 90, 99},
      {"bytes=-500", 100, TByteRange::Satisfiable, 0, 99},
      {"bytes=100-", 100, TByteRange::Unsatisfiable, 0, 0},
      {"bytes=0-", 0, TByteRange::Unsatisfiable, 0, 0},
      {"bytes=-0", 100, TByteRange::Unsatisfiable, 0, 0},
      // Served whole: several ranges, other units, nonsense.
      {"bytes=0-1,5-6", 100, TByteRange::None, 0, 0},
      {"items=0-1", 100, TByteRange::None, 0, 0},
      {"bytes=5-1", 100, TByteRange::None, 0, 0},
      {"bytes=a-b", 100, TByteRange::None, 0, 0},
      {"bytes=1", 100, TByteRange::None, 0, 0},
      {"bytes=-", 100, TByteRange::None, 0, 0},
      {"bytes=99999999999999999999999-", 100, TByteRange::None, 0, 0},
  };
  for (const TCase& c : cases) {
    const TByteRange range = ParseRangeHeader(c.header, c.total);
    EXPECT_EQ(range.Kind, c.kind) << c.header;
    if (c.kind == TByteRange::Satisfiable) {
      EXPECT_EQ(range.First, c.first) << c.header;
      EXPECT_EQ(range.Last, c.last) << c.header;
    }
  }
}

TEntryCache::TBytes Bytes(size_t size) { return std::make_shared<const std::vector<uint8_t>>(size, uint8_t{7}); }

TEST(SchemeResponseLinux, CacheDropsTheLeastRecentlyUsedBeyondItsCapacity) {
  TEntryCache cache(100);
  cache.Put("a", Bytes(40));
  cache.Put("b", Bytes(40));
  ASSERT_TRUE(cache.Find("a"));  // now the most recently used
  cache.Put("c", Bytes(40));     // 120 bytes: "b" goes
  EXPECT_TRUE(cache.Find("a"));
  EXPECT_FALSE(cache.Find("b"));
  EXPECT_TRUE(cache.Find("c"));
  EXPECT_EQ(cache.SizeBytes(), 80u);

  // Replacing an entry counts its new size only.
  cache.Put("a", Bytes(10));
  EXPECT_EQ(cache.SizeBytes(), 50u);
  // An entry larger than the whole cache is not kept, and evicts nothing.
  cache.Put("huge", Bytes(101));
  EXPECT_FALSE(cache.Find("huge"));
  EXPECT_EQ(cache.SizeBytes(), 50u);
  // A served entry stays valid for its reader after eviction.
  const TEntryCache::TBytes held = cache.Find("c");
  cache.Clear();
  EXPECT_EQ(cache.SizeBytes(), 0u);
  EXPECT_FALSE(cache.Find("c"));
  EXPECT_EQ(held->size(), 40u);
}

}  // namespace
}  // namespace lumora::test
