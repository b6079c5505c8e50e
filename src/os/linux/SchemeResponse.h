// The pure parts of answering a WebKitGTK scheme request: turning WebKit's
// URL back into the text the request path expects, reading a Range header,
// and the cache of recently served entries that range requests use.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/String.h"

namespace lumora {

// WebKit hands the URL over percent-encoded as UTF-8, while the Windows URL
// layer passes non-ASCII characters as they are. Escapes that form a
// well-formed UTF-8 sequence of a non-ASCII character become that
// character; every other escape ("%20", "%3F", "%2B", stray bytes) stays for
// the request handler's own URL decoding.
String UrlFromWebKit(std::string_view uri);

// A byte range asked for with a Range header, against an entry of total
// bytes.
struct TByteRange {
  enum TKind { None, Satisfiable, Unsatisfiable };
  TKind Kind = None;
  uint64_t First = 0;  // inclusive
  uint64_t Last = 0;   // inclusive
};

// "bytes=a-b", "bytes=a-" and "bytes=-n" (the last n bytes) as one range.
// Anything else, several ranges among them, gives None: the whole entry is
// served. A range that starts beyond the end is Unsatisfiable.
TByteRange ParseRangeHeader(std::string_view header, uint64_t total);

// Recently served entries by URL, least recently used dropped first once
// their bytes exceed the capacity. Not safe for concurrent use: WebKit calls
// the scheme handler on the user-interface thread only.
class TEntryCache {
 public:
  using TBytes = std::shared_ptr<const std::vector<uint8_t>>;

  explicit TEntryCache(size_t capacityBytes) : FCapacity(capacityBytes) {}

  // The bytes cached for key, now the most recently used; nullptr if none.
  TBytes Find(const std::string& key);
  // Caches bytes under key, replacing what was there. An entry larger than
  // the whole capacity is not kept.
  void Put(const std::string& key, TBytes bytes);
  void Clear();

  size_t SizeBytes() const { return FSize; }

 private:
  struct TItem {
    std::string Key;
    TBytes Bytes;
  };
  size_t FCapacity;
  size_t FSize = 0;
  std::list<TItem> FItems;  // most recently used first
  std::unordered_map<std::string, std::list<TItem>::iterator> FIndex;
};

}  // namespace lumora
