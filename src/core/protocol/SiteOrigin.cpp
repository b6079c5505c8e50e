#include "core/protocol/SiteOrigin.h"

namespace lumora {

namespace {

char16_t FoldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

}  // namespace

bool HasScheme(StringView url, StringView scheme) {
  if (url.size() <= scheme.size() || url[scheme.size()] != u':') return false;
  for (size_t i = 0; i < scheme.size(); ++i) {
    if (FoldAscii(url[i]) != FoldAscii(scheme[i])) return false;
  }
  return true;
}

bool IsForeignRequest(StringView scheme, const TRequestInitiator& initiator) {
  if (!initiator.Origin.empty()) return !HasScheme(initiator.Origin, scheme);
  if (!initiator.Referer.empty()) return !HasScheme(initiator.Referer, scheme);
  return false;
}

}  // namespace lumora
