// The rules of the template directive ("<!--template:name-->"), in one
// place for the runtime, which expands directives, and the packer, which
// warns about those that would include nothing.
#pragma once

#include "core/Pcre2Pattern.h"
#include "base/String.h"

namespace lumora {

// "<!--template:" and a name of at least one character up to the first
// "-->" on the same line, any letter case; every Unicode line break ends a
// line. Group 1 is the name as written.
TPcre2Pattern TemplateDirectivePattern();

// Whether a page of this name has its directives expanded, and whether an
// entry of this name may be included: its extension is exactly ".htm" or
// ".html" (letter case counts).
bool IsTemplatePageName(StringView name);

// The entry a directive names: rootDir, "/" and the name as written, with
// spaces and control characters removed from both ends of the whole. Empty
// rootDir gives a name that starts with "/", which matches no entry.
String TemplateEntryName(StringView rootDir, StringView directiveName);

}  // namespace lumora
