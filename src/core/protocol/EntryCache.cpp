#include "core/protocol/EntryCache.h"

namespace lumora {

TEntryCache::TEntry TEntryCache::Find(const std::string& key) {
  const std::lock_guard hold(FLock);
  const auto found = FIndex.find(key);
  if (found == FIndex.end()) return nullptr;
  FItems.splice(FItems.begin(), FItems, found->second);
  return found->second->Entry;
}

void TEntryCache::Put(const std::string& key, TEntry entry) {
  const std::lock_guard hold(FLock);
  const auto found = FIndex.find(key);
  if (found != FIndex.end()) {
    FSize -= found->second->Size;
    FItems.erase(found->second);
    FIndex.erase(found);
  }
  if (!entry) return;
  const size_t size = static_cast<size_t>(entry->Size());
  if (size > FCapacity) return;
  FSize += size;
  FItems.push_front({key, std::move(entry), size});
  FIndex[key] = FItems.begin();
  while (FSize > FCapacity) {
    TItem& oldest = FItems.back();
    FSize -= oldest.Size;
    FIndex.erase(oldest.Key);
    FItems.pop_back();
  }
}

void TEntryCache::Clear() {
  const std::lock_guard hold(FLock);
  FItems.clear();
  FIndex.clear();
  FSize = 0;
}

size_t TEntryCache::SizeBytes() const {
  const std::lock_guard hold(FLock);
  return FSize;
}

}  // namespace lumora
