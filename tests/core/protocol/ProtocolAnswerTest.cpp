// The one answer to a scheme request: Range headers, the cache of recently
// served entries, and the answer's status, content type and bytes through
// the protocol registry.
#include <gtest/gtest.h>

#include <map>

#include "core/protocol/ByteRange.h"
#include "core/protocol/EntryCache.h"
#include "core/protocol/InternetProtocol.h"
#include "core/protocol/ProtocolAnswer.h"
#include "core/protocol/ProtocolRegistry.h"

namespace lumora::test {
namespace {

TEST(ProtocolAnswer, RangeHeaders) {
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

TEntryCache::TEntry Bytes(size_t size) {
  auto stream = std::make_shared<TMemoryStream>();
  stream->Bytes().assign(size, uint8_t{7});
  return stream;
}

TEST(ProtocolAnswer, CacheDropsTheLeastRecentlyUsedBeyondItsCapacity) {
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
  const TEntryCache::TEntry held = cache.Find("c");
  cache.Clear();
  EXPECT_EQ(cache.SizeBytes(), 0u);
  EXPECT_FALSE(cache.Find("c"));
  EXPECT_EQ(held->Size(), 40);
}

// A registered "lmp" component answering from a small table of entries.
class ProtocolAnswerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetUpProtocolRegistry();
    Lmp.SetProtocol(u"lmp");
    Lmp.SetOnRequestStream([this](TInternetProtocol&, const String& request, std::unique_ptr<TStream>& stream) {
      ++Requests;
      const auto entry = Entries.find(request);
      if (entry == Entries.end()) return;
      auto memory = std::make_unique<TMemoryStream>();
      memory->WriteBuffer(entry->second.data(), static_cast<int64_t>(entry->second.size()));
      stream = std::move(memory);
    });
    Lmp.SetActive(true);
  }
  void TearDown() override {
    Lmp.SetActive(false);
    ReleaseProtocolRegistry();
  }

  TInternetProtocol Lmp;
  std::map<String, std::string> Entries = {
      {u"//site/ten.txt", "0123456789"}, {u"//site/app.mjs", "export {};"}, {u"//site/data.bin", "xyz"}};
  int Requests = 0;
};

TEST_F(ProtocolAnswerTest, StatusContentTypeAndBytes) {
  struct TCase {
    StringView url;
    const char* range;
    int status;
    StringView contentType;
    uint64_t offset;
    uint64_t length;
    const char* contentRange;
  };
  const TCase cases[] = {
      {u"lmp://site/ten.txt", "", 200, u"text/plain", 0, 10, ""},
      {u"lmp://site/app.mjs", "", 200, u"text/javascript", 0, 10, ""},
      // Unknown extension: no type, the browser sniffs.
      {u"lmp://site/data.bin", "", 200, u"", 0, 3, ""},
      {u"lmp://site/ten.txt", "bytes=2-4", 206, u"text/plain", 2, 3, "bytes 2-4/10"},
      {u"lmp://site/ten.txt", "bytes=-3", 206, u"text/plain", 7, 3, "bytes 7-9/10"},
      {u"lmp://site/ten.txt", "bytes=10-", 416, u"text/plain", 0, 0, "bytes */10"},
      // A range the answer cannot honour is served whole.
      {u"lmp://site/ten.txt", "bytes=0-1,4-5", 200, u"text/plain", 0, 10, ""},
  };
  for (const TCase& c : cases) {
    const TProtocolAnswer answer = AnswerProtocolRequest(c.url, c.range);
    const std::string label = ToUtf8(c.url) + " " + c.range;
    ASSERT_TRUE(answer.Found()) << label;
    EXPECT_EQ(answer.Status, c.status) << label;
    EXPECT_EQ(answer.ContentType, c.contentType) << label;
    EXPECT_EQ(answer.Offset, c.offset) << label;
    EXPECT_EQ(answer.Length, c.length) << label;
    EXPECT_EQ(answer.TotalSize, static_cast<uint64_t>(answer.Entry->Size())) << label;
    EXPECT_EQ(answer.ContentRange, c.contentRange) << label;
  }
}

TEST_F(ProtocolAnswerTest, NothingAnswersAMissingEntryOrAnUnknownScheme) {
  for (StringView url : {u"lmp://site/missing.txt", u"other://site/ten.txt"}) {
    const TProtocolAnswer answer = AnswerProtocolRequest(url);
    EXPECT_FALSE(answer.Found()) << ToUtf8(url);
    EXPECT_EQ(answer.Status, 404) << ToUtf8(url);
  }
}

TEST_F(ProtocolAnswerTest, RangeRequestsShareOneCachedEntry) {
  TEntryCache cache(1024);
  const TProtocolAnswer first = AnswerProtocolRequest(u"lmp://site/ten.txt", "bytes=0-1", &cache);
  const TProtocolAnswer second = AnswerProtocolRequest(u"lmp://site/ten.txt#t=5", "bytes=5-", &cache);
  EXPECT_EQ(Requests, 1);
  EXPECT_EQ(first.Entry, second.Entry);
  EXPECT_EQ(second.Status, 206);
  EXPECT_EQ(second.Offset, 5u);
  // A whole-entry request asks the site again and keeps nothing.
  AnswerProtocolRequest(u"lmp://site/app.mjs", "", &cache);
  EXPECT_EQ(Requests, 2);
  EXPECT_EQ(cache.SizeBytes(), 10u);
}

}  // namespace
}  // namespace lumora::test
