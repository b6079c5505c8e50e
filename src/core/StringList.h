// A list of strings with a sorted mode, as the style list is handed out.
#pragma once

#include <vector>

#include "base/String.h"

namespace lumora {

class TStringList {
 public:
  void Clear() { FItems.clear(); }
  // Appends, or inserts in order while the list is sorted.
  void Add(const String& item);
  int Count() const { return static_cast<int>(FItems.size()); }
  const String& operator[](int index) const { return FItems.at(static_cast<size_t>(index)); }
  const std::vector<String>& Items() const { return FItems; }

  bool Sorted() const { return FSorted; }
  // Switching sorted mode on sorts the list, ignoring case under the user's
  // locale; switching it off keeps the order.
  void SetSorted(bool sorted);

 private:
  std::vector<String> FItems;
  bool FSorted = false;
};

}  // namespace lumora
