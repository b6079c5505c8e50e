#include "core/StringList.h"

#include <algorithm>

#include "os/Locale.h"

namespace lumora {
namespace {

bool LessText(const String& a, const String& b) {
  const String upperA = UpperCaseLocale(a);
  const String upperB = UpperCaseLocale(b);
  return upperA != upperB ? upperA < upperB : a < b;
}

}  // namespace

void TStringList::Add(const String& item) {
  if (FSorted)
    FItems.insert(std::upper_bound(FItems.begin(), FItems.end(), item, LessText), item);
  else
    FItems.push_back(item);
}

void TStringList::SetSorted(bool sorted) {
  if (sorted && !FSorted) std::stable_sort(FItems.begin(), FItems.end(), LessText);
  FSorted = sorted;
}

}  // namespace lumora
