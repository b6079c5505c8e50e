// Recently served entries by URL, so that a seeking video, which asks for
// one range after another, decodes its entry once.
#pragma once

#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "base/Stream.h"

namespace lumora {

// What a URL layer keeps of the site's entries for range requests.
inline constexpr size_t kSiteEntryCacheBytes = 256u * 1024u * 1024u;

// Least recently used entries are dropped first once their bytes exceed the
// capacity. Safe for concurrent use: the Windows URL layer starts requests
// on threads of its own.
class TEntryCache {
 public:
  using TEntry = std::shared_ptr<TStream>;

  explicit TEntryCache(size_t capacityBytes) : FCapacity(capacityBytes) {}

  // The entry cached for key, now the most recently used; nullptr if none.
  TEntry Find(const std::string& key);
  // Caches entry under key, replacing what was there. An entry larger than
  // the whole capacity is not kept.
  void Put(const std::string& key, TEntry entry);
  void Clear();

  size_t SizeBytes() const;

 private:
  struct TItem {
    std::string Key;
    TEntry Entry;
    size_t Size;
  };
  mutable std::mutex FLock;
  size_t FCapacity;
  size_t FSize = 0;
  std::list<TItem> FItems;  // most recently used first
  std::unordered_map<std::string, std::list<TItem>::iterator> FIndex;
};

}  // namespace lumora
