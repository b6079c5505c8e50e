#include "core/site/TemplateDirective.h"

#include <pcre2.h>

namespace lumora {

namespace {

// The text from the last "." to the end, or nothing when a backslash or a
// colon follows that ".". A "/" does not end the search, so "a.b/c" has the
// extension ".b/c".
StringView ExtractFileExt(StringView name) {
  const size_t at = name.find_last_of(u".\\:");
  if (at == StringView::npos || name[at] != u'.') return StringView();
  return name.substr(at);
}

}  // namespace

TPcre2Pattern TemplateDirectivePattern() {
  return TPcre2Pattern("<!--template:(.+?)-->", PCRE2_CASELESS, TPcre2Pattern::TNewline::AnyUnicode);
}

bool IsTemplatePageName(StringView name) {
  const StringView extension = ExtractFileExt(name);
  return extension == u".htm" || extension == u".html";
}

String TemplateEntryName(StringView rootDir, StringView directiveName) {
  const String name = String(rootDir) + u"/" + String(directiveName);
  size_t first = 0;
  size_t last = name.size();
  while (first < last && name[first] < 0x21) ++first;
  while (last > first && name[last - 1] < 0x21) --last;
  return name.substr(first, last - first);
}

}  // namespace lumora
