#include "core/zip/AbArchiveList.h"

#include <limits>

#include "core/zip/ZipErrors.h"

namespace lumora {

namespace {

char16_t FoldAscii(char16_t unit) { return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 32) : unit; }

}  // namespace

uint32_t TAbArchiveList::Bucket(StringView name) {
  uint32_t h = 0;
  for (const char16_t unit : name) {
    h = (h << 4) + FoldAscii(unit);
    const uint32_t g = h & 0xF0000000u;
    if (g != 0) h ^= g >> 24;
    h &= ~g;
  }
  return h % kBucketCount;
}

bool TAbArchiveList::SameName(StringView a, StringView b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

void TAbArchiveList::Clear() {
  FItems.clear();
  FNext.clear();
  FBuckets.fill(-1);
}

void TAbArchiveList::Reserve(size_t count) {
  FItems.reserve(count);
  FNext.reserve(count);
}

void TAbArchiveList::Add(TAbZipItem item) {
  // Indexes are 32-bit results of FindFile.
  if (FItems.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
    throw EAbZipInvalid();
  }
  const auto index = static_cast<int32_t>(FItems.size());
  const uint32_t bucket = Bucket(item.FileName);
  FItems.push_back(std::move(item));
  FNext.push_back(FBuckets[bucket]);
  FBuckets[bucket] = index;
}

int32_t TAbArchiveList::Find(StringView name) const {
  for (int32_t i = FBuckets[Bucket(name)]; i >= 0; i = FNext[static_cast<size_t>(i)]) {
    if (SameName(FItems[static_cast<size_t>(i)].FileName, name)) return i;
  }
  return -1;
}

}  // namespace lumora
