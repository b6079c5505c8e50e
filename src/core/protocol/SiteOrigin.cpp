#include "core/protocol/SiteOrigin.h"

namespace lumora {

namespace {

char16_t FoldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool SameAsciiText(StringView a, StringView b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

StringView TrimBlanks(StringView text) {
  const auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

bool HasScheme(StringView url, StringView scheme) {
  return url.size() > scheme.size() && url[scheme.size()] == u':' &&
         SameAsciiText(url.substr(0, scheme.size()), scheme);
}

bool IsForeignRequest(StringView scheme, const TRequestInitiator& initiator) {
  if (!initiator.Origin.empty()) return !HasScheme(initiator.Origin, scheme);
  if (!initiator.Referer.empty()) return !HasScheme(initiator.Referer, scheme);
  return false;
}

String RequestHeader(StringView headers, StringView name) {
  String found;
  while (!headers.empty()) {
    const size_t end = headers.find(u'\n');
    StringView line = headers.substr(0, end);
    headers = end == StringView::npos ? StringView() : headers.substr(end + 1);
    if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
    const size_t colon = line.find(u':');
    if (colon == StringView::npos) continue;
    if (SameAsciiText(TrimBlanks(line.substr(0, colon)), name)) found = String(TrimBlanks(line.substr(colon + 1)));
  }
  return found;
}

TRequestInitiator InitiatorFromHeaders(StringView headers) {
  return {RequestHeader(headers, u"Origin"), RequestHeader(headers, u"Referer")};
}

bool IsForeignPage(StringView scheme, StringView shownURL) {
  return !shownURL.empty() && !HasScheme(shownURL, scheme) && !HasScheme(shownURL, u"about");
}

bool IsForeignNavigation(StringView scheme, StringView url, StringView shownURL, const TRequestInitiator& initiator) {
  if (!HasScheme(url, scheme)) return false;
  return IsForeignRequest(scheme, initiator) || IsForeignPage(scheme, shownURL);
}

bool MayOpenWindow(StringView scheme, StringView openerURL, bool userAction) {
  return userAction || HasScheme(openerURL, scheme);
}

bool MayCloseOnRequest(StringView scheme, StringView shownURL, bool openedByPage, bool otherOriginsShown) {
  if (otherOriginsShown) return false;
  return openedByPage ? !IsForeignPage(scheme, shownURL) : HasScheme(shownURL, scheme);
}

}  // namespace lumora
