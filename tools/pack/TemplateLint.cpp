#include "pack/TemplateLint.h"

#include <pcre2.h>

#include <algorithm>
#include <utility>

#include "core/Pcre2Pattern.h"
#include "core/site/TemplateDirective.h"
#include "pack/NearestName.h"
#include "os/CodePage.h"

namespace lumora {

namespace {

// A slip of a letter or two in a template name is worth pointing out.
constexpr size_t kNearMissEdits = 2;
// How much of a line a warning quotes.
constexpr size_t kQuoteLength = 60;

String Trimmed(StringView text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && text[first] < 0x21) ++first;
  while (last > first && text[last - 1] < 0x21) --last;
  return String(text.substr(first, last - first));
}

bool StartsWithAsciiCaseless(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (c != prefix[i]) return false;
  }
  return true;
}

// Line breaks as the directive pattern sees them (CR LF is one), counted in
// the UTF-8 subject up to offset; lines are numbered from 1.
size_t LineAt(std::string_view subject, size_t offset) {
  size_t line = 1;
  for (size_t i = 0; i < offset; ++i) {
    const auto c = static_cast<unsigned char>(subject[i]);
    if (c == '\n' || c == '\v' || c == '\f') {
      ++line;
    } else if (c == '\r') {
      if (i + 1 >= subject.size() || subject[i + 1] != '\n') ++line;
    } else if (c == 0xC2 && i + 1 < subject.size() && static_cast<unsigned char>(subject[i + 1]) == 0x85) {
      ++line;
    } else if (c == 0xE2 && i + 2 < subject.size() && subject[i + 1] == '\x80' &&
               (subject[i + 2] == '\xA8' || subject[i + 2] == '\xA9')) {
      ++line;
    }
  }
  return line;
}

// The text from offset to the end of its line, shortened for a message.
String QuoteLine(std::string_view subject, size_t offset) {
  const size_t end = subject.find_first_of("\r\n", offset);
  String text = FromUtf8(subject.substr(offset, end == std::string_view::npos ? end : end - offset));
  if (text.size() > kQuoteLength) text = text.substr(0, kQuoteLength) + u"...";
  return text;
}

// Why text that starts like a directive is not one.
String NearMissReason(std::string_view rest) {
  if (StartsWithAsciiCaseless(rest, "<!--TEMPLATE:")) {
    return rest.substr(13).starts_with("-->") ? u"the name is empty" : u"no \"-->\" closes it on the same line";
  }
  if (StartsWithAsciiCaseless(rest, "<!--TEMPLATE")) return u"\"template\" must be followed by \":\"";
  if (rest.starts_with("<!--")) return u"nothing may stand between \"<!--\" and \"template:\"";
  return u"a directive begins with \"<!--template:\"";
}

}  // namespace

TTemplateLint::TTemplateLint(std::vector<String> entryNames, String rootDir) : FRootDir(std::move(rootDir)) {
  const String rootPrefix = UpperCaseAscii(FRootDir + u"/");
  for (const String& name : entryNames) {
    const String upper = UpperCaseAscii(name);
    if (!FRootDir.empty() && IsTemplatePageName(name) && upper.starts_with(rootPrefix)) {
      FIncludable.push_back(name.substr(rootPrefix.size()));
    }
    FUpperNames.push_back(upper);
  }
  FNames = std::move(entryNames);
  std::sort(FUpperNames.begin(), FUpperNames.end());
}

bool TTemplateLint::IsPageCandidate(StringView name) {
  const String upper = UpperCaseAscii(name);
  return upper.ends_with(u".HTM") || upper.ends_with(u".HTML");
}

bool TTemplateLint::HasEntry(StringView name) const {
  return std::binary_search(FUpperNames.begin(), FUpperNames.end(), UpperCaseAscii(name));
}

std::vector<String> TTemplateLint::Check(StringView pageName, std::string_view bytes) const {
  // The page as the runtime sees it: decoded with the 8-bit code page and
  // matched in its UTF-8 form.
  const String text = DecodeAnsi(bytes);
  const std::string subject = ToUtf8(text);
  const bool expandable = IsTemplatePageName(pageName);
  const bool searched = text.find(u"<!--template") != String::npos;

  std::vector<std::pair<size_t, String>> findings;
  std::vector<TPcre2Match::TSpan> directives;
  const TPcre2Pattern pattern = TemplateDirectivePattern();
  for (auto match = pattern.Match(subject); match; match = pattern.Match(subject, match->Groups[0].End)) {
    const TPcre2Match::TSpan span = match->Groups[0];
    directives.push_back(span);
    const String directive = FromUtf8(match->Group(subject, 0));
    const String written = FromUtf8(match->Group(subject, 1));
    String message;
    if (!expandable) {
      message = Format(
          u"\"%s\" is never expanded: only pages whose names end exactly in \".htm\" or "
          u"\".html\" are (rename the page)",
          {directive});
    } else if (!searched) {
      message = Format(
          u"\"%s\" is not expanded: a page is searched for directives only when it holds "
          u"\"<!--template\" in small letters (write the directive so)",
          {directive});
    } else if (const String reason = Reason(written); !reason.empty()) {
      message = Format(u"template \"%s\" includes nothing: %s", {written, reason});
    }
    if (!message.empty()) findings.emplace_back(span.Start, std::move(message));
  }

  // Text that begins like a directive where none begins: a space or a
  // dash too many or too few, a missing colon, "->" for "-->". A comment
  // that merely speaks of a template ("<!-- template of the menu -->") is
  // none of these.
  const TPcre2Pattern lookalike("<!--template|<!?-{1,3}\\s*template\\s*:", PCRE2_CASELESS);
  for (auto match = lookalike.Match(subject); match; match = lookalike.Match(subject, match->Groups[0].End)) {
    const size_t start = match->Groups[0].Start;
    const bool inDirective = std::any_of(directives.begin(), directives.end(), [&](const TPcre2Match::TSpan& span) {
      return span.Start <= start && start < span.End;
    });
    if (inDirective) continue;
    findings.emplace_back(start,
                          Format(u"\"%s\" looks like a template directive but is not one: %s",
                                 {QuoteLine(subject, start), NearMissReason(std::string_view(subject).substr(start))}));
  }

  std::stable_sort(findings.begin(), findings.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<String> warnings;
  for (const auto& [offset, message] : findings) {
    warnings.push_back(String(pageName) + u":" + IntToStr(static_cast<int64_t>(LineAt(subject, offset))) + u": " +
                       message);
  }
  return warnings;
}

String TTemplateLint::Reason(StringView directiveName) const {
  const String name = TemplateEntryName(FRootDir, directiveName);
  if (FRootDir.empty()) {
    String reason = Format(u"RootDirName is not set, so the name is \"%s\", which matches no entry", {name});
    // The folder that holds the named file is the root folder to set.
    const String tail = UpperCaseAscii(u"/" + Trimmed(directiveName));
    for (const String& entry : FNames) {
      if (entry.size() > tail.size() && UpperCaseAscii(entry).ends_with(tail)) {
        return reason + Format(u" (set RootDirName to the folder that holds it, e.g. %s)",
                               {entry.substr(0, entry.size() - tail.size())});
      }
    }
    return reason;
  }
  if (!IsTemplatePageName(name)) {
    return Format(
        u"\"%s\" is not an HTML entry: only entries whose names end exactly in \".htm\" or "
        u"\".html\" are included",
        {name});
  }
  if (HasEntry(name)) return {};
  return Format(u"no entry \"%s\"", {name}) + Hint(directiveName);
}

String TTemplateLint::Hint(StringView directiveName) const {
  if (!directiveName.empty() && directiveName[0] < 0x21) {
    return u" (remove the space after \"template:\")";
  }
  const String written = Trimmed(directiveName);
  if (written.find(u"<!--") != String::npos) {
    return u" (the name runs on into the next directive: is a \"-->\" missing?)";
  }
  // The page was read in the 8-bit code page: a UTF-8 name beyond ASCII
  // comes out as other characters and can never match.
  if (const std::string bytes = EncodeAnsi(written);
      IsValidUtf8(bytes) && HasEntry(TemplateEntryName(FRootDir, FromUtf8(bytes))) && FromUtf8(bytes) != written) {
    return u" (pages are read in the ANSI code page, so a name beyond ASCII never matches: give the "
           u"template an ASCII name)";
  }
  if (UpperCaseAscii(written).starts_with(UpperCaseAscii(FRootDir + u"/"))) {
    return Format(u" (names are relative to the root folder: leave out \"%s/\")", {FRootDir});
  }
  if (const String nearest = NearestName(written, FIncludable, kNearMissEdits); !nearest.empty()) {
    return Format(u" (did you mean \"%s\"?)", {nearest});
  }
  // Named relative to the page's own folder instead of the root folder.
  const String tail = UpperCaseAscii(u"/" + written);
  for (const String& candidate : FIncludable) {
    if (UpperCaseAscii(u"/" + candidate).ends_with(tail)) {
      return Format(u" (names are relative to the root folder \"%s\": did you mean \"%s\"?)", {FRootDir, candidate});
    }
  }
  return {};
}

}  // namespace lumora
