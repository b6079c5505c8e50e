// The entries of an archive in central-directory order, with a hash table
// over their names so that a page's many requests never scan the directory.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "base/String.h"
#include "core/zip/AbZipItem.h"

namespace lumora {

class TAbArchiveList {
 public:
  static constexpr uint32_t kBucketCount = 1021;

  TAbArchiveList() { Clear(); }

  // The bucket of a name: a PJW-style hash over its code units with the
  // ASCII letters upper-cased, so that names equal under Find share one.
  static uint32_t Bucket(StringView name);
  // Equal length and equal code units, where a-z count as A-Z; nothing else
  // is folded or normalised.
  static bool SameName(StringView a, StringView b);

  void Clear();
  void Reserve(size_t count);
  // Appends the item and puts it at the front of its bucket's chain, so the
  // last of several equal names is the one found.
  void Add(TAbZipItem item);
  // The index of the matching item, or -1.
  int32_t Find(StringView name) const;

  size_t Count() const { return FItems.size(); }
  const TAbZipItem& operator[](size_t index) const { return FItems[index]; }

 private:
  std::vector<TAbZipItem> FItems;
  // FNext[i]: the item after item i in its bucket's chain, or -1.
  std::vector<int32_t> FNext;
  std::array<int32_t, kBucketCount> FBuckets;
};

}  // namespace lumora
