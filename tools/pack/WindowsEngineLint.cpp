#include "pack/WindowsEngineLint.h"

#include <algorithm>
#include <set>
#include <utility>

namespace lumora {

namespace {

enum class TTokenKind { Identifier, Punctuator, String, Number, Template, Regex };

struct TToken {
  TTokenKind Kind;
  std::string_view Text;
  size_t Line;
};

bool IsIdentifierStart(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' || c == '\\' || c >= 0x80;
}
bool IsIdentifierPart(unsigned char c) { return IsIdentifierStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The punctuators of ES2021 and older, longest first so that the longest
// match wins.
constexpr std::string_view kPunctuators[] = {
    ">>>=", "...", "===", "!==", "**=", "<<=", ">>=", ">>>", "&&=", "||=", "?\?=", "=>", "==", "!=", "<=", ">=",
    "&&",   "||",  "??",  "?.",  "++",  "--",  "+=",  "-=",  "*=",  "%=",  "&=",   "|=", "^=", "<<", ">>", "**"};

// Words after which a "/" starts a regular expression, not a division.
constexpr std::string_view kRegexAfterWords[] = {"return", "typeof", "instanceof", "in", "of",   "new",   "delete",
                                                 "void",   "throw",  "case",       "do", "else", "yield", "await"};

class TScriptLexer {
 public:
  TScriptLexer(std::string_view text, size_t firstLine) : FText(text), FLine(firstLine) {}

  std::vector<TToken> Run() {
    while (FPos < FText.size()) Next();
    return std::move(FTokens);
  }

 private:
  void Next() {
    const char c = FText[FPos];
    if (c == '\n' || (c == '\r' && (FPos + 1 == FText.size() || FText[FPos + 1] != '\n'))) {
      ++FLine;
      ++FPos;
    } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
      ++FPos;
    } else if (FText.substr(FPos, 2) == "//") {
      while (FPos < FText.size() && FText[FPos] != '\n' && FText[FPos] != '\r') ++FPos;
    } else if (FText.substr(FPos, 2) == "/*") {
      const size_t end = FText.find("*/", FPos + 2);
      SkipTo(end == std::string_view::npos ? FText.size() : end + 2);
    } else if (c == '\'' || c == '"') {
      QuotedString(c);
    } else if (c == '`') {
      Add(TTokenKind::Template, FPos, 1);
      ++FPos;
      TemplateText();
    } else if (c == '}' && !FTemplateDepths.empty() && FBraceDepth == FTemplateDepths.back()) {
      // The end of a "${...}" substitution: the template goes on.
      FTemplateDepths.pop_back();
      Add(TTokenKind::Template, FPos, 0);
      ++FPos;
      TemplateText();
    } else if (IsDigit(c) || (c == '.' && FPos + 1 < FText.size() && IsDigit(FText[FPos + 1]))) {
      Number();
    } else if (IsIdentifierStart(static_cast<unsigned char>(c))) {
      const size_t start = FPos;
      while (FPos < FText.size() && IsIdentifierPart(static_cast<unsigned char>(FText[FPos]))) {
        FPos += FText[FPos] == '\\' ? 2 : 1;
      }
      Add(TTokenKind::Identifier, start, std::min(FPos, FText.size()) - start);
    } else if (c == '/' && RegexAllowed()) {
      Regex();
    } else {
      Punctuator();
    }
  }

  void Add(TTokenKind kind, size_t start, size_t length) {
    FTokens.push_back(TToken{kind, FText.substr(start, length), FLine});
  }

  // Moves to end, counting the lines on the way.
  void SkipTo(size_t end) {
    for (; FPos < end; ++FPos) {
      if (FText[FPos] == '\n' || (FText[FPos] == '\r' && (FPos + 1 == FText.size() || FText[FPos + 1] != '\n'))) {
        ++FLine;
      }
    }
  }

  void QuotedString(char quote) {
    const size_t start = FPos;
    const size_t line = FLine;
    ++FPos;
    while (FPos < FText.size() && FText[FPos] != quote && FText[FPos] != '\n') {
      if (FText[FPos] == '\\' && FPos + 1 < FText.size()) {
        SkipTo(FPos + 2);  // an escaped line end continues the string
      } else {
        ++FPos;
      }
    }
    if (FPos < FText.size() && FText[FPos] == quote) ++FPos;
    FTokens.push_back(TToken{TTokenKind::String, FText.substr(start, FPos - start), line});
  }

  // Template text up to its closing "`", or up to a "${" whose expression
  // is read as script.
  void TemplateText() {
    while (FPos < FText.size()) {
      const char c = FText[FPos];
      if (c == '\\' && FPos + 1 < FText.size()) {
        SkipTo(FPos + 2);
      } else if (c == '`') {
        ++FPos;
        return;
      } else if (c == '$' && FPos + 1 < FText.size() && FText[FPos + 1] == '{') {
        FPos += 2;
        FTemplateDepths.push_back(FBraceDepth);
        Add(TTokenKind::Punctuator, FPos - 2, 2);
        return;
      } else {
        SkipTo(FPos + 1);
      }
    }
  }

  void Number() {
    const size_t start = FPos;
    while (FPos < FText.size()) {
      const char c = FText[FPos];
      const bool exponentSign =
          (c == '+' || c == '-') && FPos > start && (FText[FPos - 1] == 'e' || FText[FPos - 1] == 'E') &&
          !(FText[start] == '0' && FPos > start + 1 && (FText[start + 1] == 'x' || FText[start + 1] == 'X'));
      if (!IsIdentifierPart(static_cast<unsigned char>(c)) && c != '.' && !exponentSign) break;
      ++FPos;
    }
    Add(TTokenKind::Number, start, FPos - start);
  }

  bool RegexAllowed() const {
    if (FTokens.empty()) return true;
    const TToken& last = FTokens.back();
    switch (last.Kind) {
      case TTokenKind::Identifier:
        return std::find(std::begin(kRegexAfterWords), std::end(kRegexAfterWords), last.Text) !=
               std::end(kRegexAfterWords);
      case TTokenKind::Punctuator:
        // After "if (...)" a statement starts; after any other ")" a value
        // has ended.
        if (last.Text == ")") return FConditionClosed;
        return last.Text != "]" && last.Text != "++" && last.Text != "--";
      default:
        return false;
    }
  }

  void Regex() {
    const size_t start = FPos;
    ++FPos;
    bool inClass = false;
    while (FPos < FText.size() && FText[FPos] != '\n' && FText[FPos] != '\r') {
      const char c = FText[FPos];
      if (c == '\\') {
        FPos += 2;
        continue;
      }
      if (c == '[') inClass = true;
      if (c == ']') inClass = false;
      ++FPos;
      if (c == '/' && !inClass) break;
    }
    while (FPos < FText.size() && IsIdentifierPart(static_cast<unsigned char>(FText[FPos]))) ++FPos;
    Add(TTokenKind::Regex, start, std::min(FPos, FText.size()) - start);
  }

  void Punctuator() {
    for (const std::string_view punctuator : kPunctuators) {
      if (FText.substr(FPos, punctuator.size()) != punctuator) continue;
      // "a?.5:b" is a conditional with a number, not optional chaining.
      if (punctuator == "?." && FPos + 2 < FText.size() && IsDigit(FText[FPos + 2])) continue;
      Add(TTokenKind::Punctuator, FPos, punctuator.size());
      FPos += punctuator.size();
      return;
    }
    if (FText[FPos] == '{') ++FBraceDepth;
    if (FText[FPos] == '}') --FBraceDepth;
    if (FText[FPos] == '(') {
      const bool condition = !FTokens.empty() && FTokens.back().Kind == TTokenKind::Identifier &&
                             (FTokens.back().Text == "if" || FTokens.back().Text == "while" ||
                              FTokens.back().Text == "for" || FTokens.back().Text == "with");
      FParens.push_back(condition);
    }
    if (FText[FPos] == ')') {
      FConditionClosed = !FParens.empty() && FParens.back();
      if (!FParens.empty()) FParens.pop_back();
    }
    Add(TTokenKind::Punctuator, FPos, 1);
    ++FPos;
  }

  std::string_view FText;
  size_t FPos = 0;
  size_t FLine;
  int FBraceDepth = 0;
  // For each open "(", whether it holds the condition of if, while, for or
  // with; and whether the last ")" closed one.
  std::vector<bool> FParens;
  bool FConditionClosed = false;
  // The brace depth at each open "${", innermost last.
  std::vector<int> FTemplateDepths;
  std::vector<TToken> FTokens;
};

class TScriptCheck {
 public:
  explicit TScriptCheck(std::vector<TToken> tokens) : FTokens(std::move(tokens)) {}

  std::vector<TEngineFinding> Run() {
    for (size_t i = 0; i < FTokens.size(); ++i) Token(i);
    return std::move(FFindings);
  }

 private:
  bool Is(size_t i, std::string_view text) const { return i < FTokens.size() && FTokens[i].Text == text; }
  bool IsKind(size_t i, TTokenKind kind) const { return i < FTokens.size() && FTokens[i].Kind == kind; }
  // A word used as a keyword: not a property name after "." or before ":".
  bool IsWord(size_t i, std::string_view word) const {
    return IsKind(i, TTokenKind::Identifier) && FTokens[i].Text == word && !(i > 0 && Is(i - 1, ".")) &&
           !(i > 0 && Is(i - 1, "?.")) && !Is(i + 1, ":");
  }

  void Report(size_t i, StringView what) {
    const TEngineFinding finding{FTokens[i].Line, String(what)};
    if (std::find(FFindings.begin(), FFindings.end(), finding) == FFindings.end()) FFindings.push_back(finding);
  }

  // The index of the bracket closing the one at open, or the end.
  size_t Closing(size_t open) const {
    int depth = 0;
    for (size_t i = open; i < FTokens.size(); ++i) {
      if (!IsKind(i, TTokenKind::Punctuator)) continue;
      const std::string_view t = FTokens[i].Text;
      if (t == "(" || t == "[" || t == "{" || t == "${") ++depth;
      if ((t == ")" || t == "]" || t == "}") && --depth == 0) return i;
    }
    return FTokens.size();
  }

  void Token(size_t i) {
    const TToken& token = FTokens[i];
    const std::string_view t = token.Text;
    if (token.Kind == TTokenKind::Template) {
      if (t == "`") Report(i, u"template literals (`...`)");
      return;
    }
    if (token.Kind == TTokenKind::Regex) {
      const std::string_view flags = t.substr(t.rfind('/') + 1);
      if (flags.find_first_of("uys") != std::string_view::npos) Report(i, u"regular-expression flags u, y and s");
      return;
    }
    if (token.Kind == TTokenKind::Punctuator) {
      if (t == "=>") Report(i, u"arrow functions (=>)");
      if (t == "...") Report(i, u"spread and rest (...)");
      if (t == "?.") Report(i, u"optional chaining (?.)");
      if (t == "??" || t == "?\?=") Report(i, u"the ?? operator");
      if (t == "**" || t == "**=") Report(i, u"the ** operator");
      if (t == "&&=" || t == "||=") Report(i, u"logical assignment (&&=, ||=)");
      return;
    }
    if (token.Kind != TTokenKind::Identifier) return;
    if (IsWord(i, "class") && (IsKind(i + 1, TTokenKind::Identifier) || Is(i + 1, "{"))) Report(i, u"classes");
    if ((IsWord(i, "var") || IsWord(i, "let") || IsWord(i, "const")) && (Is(i + 1, "[") || Is(i + 1, "{"))) {
      Report(i, u"destructuring");
    }
    if (IsWord(i, "for") && Is(i + 1, "(")) ForHead(i + 1);
    if (IsWord(i, "function")) Function(i);
    // "async(x)" alone is a call of a function named async.
    if (IsWord(i, "async") && FTokens.size() > i + 1 && FTokens[i + 1].Line == token.Line &&
        (Is(i + 1, "function") || (IsKind(i + 1, TTokenKind::Identifier) && Is(i + 2, "=>")) ||
         (Is(i + 1, "(") && Is(Closing(i + 1) + 1, "=>")))) {
      Report(i, u"async functions");
    }
    if (IsWord(i, "await") && i + 1 < FTokens.size() && FTokens[i + 1].Line == token.Line &&
        (IsKind(i + 1, TTokenKind::Identifier) || IsKind(i + 1, TTokenKind::String) ||
         IsKind(i + 1, TTokenKind::Template) || Is(i + 1, "(") || Is(i + 1, "[")) &&
        !Is(i + 1, "in") && !Is(i + 1, "instanceof") && !Is(i + 1, "of")) {
      Report(i, u"await");
    }
    if ((IsWord(i, "import") && (IsKind(i + 1, TTokenKind::Identifier) || IsKind(i + 1, TTokenKind::String) ||
                                 Is(i + 1, "{") || Is(i + 1, "*") || Is(i + 1, "("))) ||
        (IsWord(i, "export") && (IsKind(i + 1, TTokenKind::Identifier) || Is(i + 1, "{") || Is(i + 1, "*")))) {
      Report(i, u"modules (import and export)");
    }
  }

  // "for (" at open: let or const in the head (Internet Explorer 11 gives
  // all iterations one binding, so closures made in the loop see its last
  // value), and for...of.
  void ForHead(size_t open) {
    const size_t close = Closing(open);
    if (IsWord(open + 1, "let") || IsWord(open + 1, "const")) {
      Report(open + 1, u"let or const in a for loop's head (all iterations share one binding)");
    }
    int depth = 0;
    for (size_t i = open + 1; i < close; ++i) {
      const std::string_view t = FTokens[i].Text;
      if (t == "(" || t == "[" || t == "{") ++depth;
      if (t == ")" || t == "]" || t == "}") --depth;
      if (depth == 0 && IsWord(i, "of") &&
          (IsKind(i - 1, TTokenKind::Identifier) || Is(i - 1, "]") || Is(i - 1, "}"))) {
        Report(i, u"for...of loops");
      }
    }
  }

  // "function": a generator, default parameters and destructured ones.
  void Function(size_t i) {
    size_t open = i + 1;
    if (Is(open, "*")) {
      Report(i, u"generators (function*)");
      ++open;
    }
    if (IsKind(open, TTokenKind::Identifier)) ++open;
    if (!Is(open, "(")) return;
    const size_t close = Closing(open);
    int depth = 0;
    for (size_t p = open + 1; p < close; ++p) {
      const std::string_view t = FTokens[p].Text;
      if (depth == 0 && (t == "{" || t == "[") && (Is(p - 1, "(") || Is(p - 1, ","))) Report(p, u"destructuring");
      if (t == "(" || t == "[" || t == "{") ++depth;
      if (t == ")" || t == "]" || t == "}") --depth;
      if (depth == 0 && t == "=" && IsKind(p, TTokenKind::Punctuator)) Report(p, u"default parameters");
    }
  }

  std::vector<TToken> FTokens;
  std::vector<TEngineFinding> FFindings;
};

// Line numbers of offsets in a text.
class TLines {
 public:
  explicit TLines(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n') FStarts.push_back(i + 1);
    }
  }
  size_t LineOf(size_t offset) const {
    return static_cast<size_t>(std::upper_bound(FStarts.begin(), FStarts.end(), offset) - FStarts.begin()) + 1;
  }

 private:
  std::vector<size_t> FStarts;
};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool StartsWithNoCase(std::string_view text, size_t at, std::string_view prefix) {
  if (at + prefix.size() > text.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (Lower(text[at + i]) != prefix[i]) return false;
  }
  return true;
}

size_t FindNoCase(std::string_view text, size_t from, std::string_view needle) {
  for (size_t i = from; i + needle.size() <= text.size(); ++i) {
    if (StartsWithNoCase(text, i, needle)) return i;
  }
  return std::string_view::npos;
}

bool IsCssNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '-' || c == '_';
}

// The CSS with comments and strings blanked out, line ends kept, so that
// offsets and lines stay where they were.
std::string BlankCommentsAndStrings(std::string_view css) {
  std::string text(css);
  for (size_t i = 0; i < text.size();) {
    size_t end = i;
    if (text.compare(i, 2, "/*") == 0) {
      end = text.find("*/", i + 2);
      end = end == std::string::npos ? text.size() : end + 2;
    } else if (text[i] == '"' || text[i] == '\'') {
      end = i + 1;
      while (end < text.size() && text[end] != text[i] && text[end] != '\n') end += text[end] == '\\' ? 2 : 1;
      end = std::min(end + 1, text.size());
      // The quotes stay, so a value keeps its shape.
      for (size_t j = i + 1; j + 1 < end; ++j) {
        if (text[j] != '\n') text[j] = ' ';
      }
      i = end;
      continue;
    } else {
      ++i;
      continue;
    }
    for (size_t j = i; j < end; ++j) {
      if (text[j] != '\n') text[j] = ' ';
    }
    i = end;
  }
  return text;
}

void AddFinding(std::vector<TEngineFinding>& findings, size_t line, StringView what) {
  const TEngineFinding finding{line, String(what)};
  if (std::find(findings.begin(), findings.end(), finding) == findings.end()) findings.push_back(finding);
}

// The value of attribute name in a start tag's text (after the tag name),
// and where it starts; npos when the tag has none.
std::pair<std::string_view, size_t> Attribute(std::string_view tag, std::string_view name) {
  for (size_t i = 0; i < tag.size();) {
    while (i < tag.size() && !IsCssNameChar(tag[i])) ++i;
    const size_t start = i;
    while (i < tag.size() && (IsCssNameChar(tag[i]) || tag[i] == ':')) ++i;
    const std::string_view found = tag.substr(start, i - start);
    while (i < tag.size() && (tag[i] == ' ' || tag[i] == '\t' || tag[i] == '\n' || tag[i] == '\r')) ++i;
    if (i >= tag.size() || tag[i] != '=') {
      if (found.empty()) ++i;
      continue;
    }
    ++i;
    while (i < tag.size() && (tag[i] == ' ' || tag[i] == '\t' || tag[i] == '\n' || tag[i] == '\r')) ++i;
    size_t valueStart = i;
    size_t valueEnd;
    if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
      valueStart = i + 1;
      valueEnd = tag.find(tag[i], valueStart);
      if (valueEnd == std::string_view::npos) valueEnd = tag.size();
      i = valueEnd + 1;
    } else {
      while (i < tag.size() && tag[i] != ' ' && tag[i] != '\t' && tag[i] != '\n' && tag[i] != '>') ++i;
      valueEnd = i;
    }
    bool same = found.size() == name.size();
    for (size_t k = 0; same && k < name.size(); ++k) same = Lower(found[k]) == name[k];
    if (same) return {tag.substr(valueStart, valueEnd - valueStart), valueStart};
  }
  return {{}, std::string_view::npos};
}

// The end of the start tag that begins at open: its ">" outside quotes.
size_t TagEnd(std::string_view html, size_t open) {
  char quote = 0;
  for (size_t i = open; i < html.size(); ++i) {
    if (quote != 0) {
      if (html[i] == quote) quote = 0;
    } else if (html[i] == '"' || html[i] == '\'') {
      quote = html[i];
    } else if (html[i] == '>') {
      return i;
    }
  }
  return html.size();
}

void Append(std::vector<TEngineFinding>& findings, const std::vector<TEngineFinding>& more) {
  for (const TEngineFinding& finding : more) {
    if (std::find(findings.begin(), findings.end(), finding) == findings.end()) findings.push_back(finding);
  }
}

}  // namespace

std::vector<TEngineFinding> TWindowsEngineLint::CheckScript(std::string_view script, size_t firstLine) {
  return TScriptCheck(TScriptLexer(script, firstLine).Run()).Run();
}

std::vector<TEngineFinding> TWindowsEngineLint::CheckCss(std::string_view css, size_t firstLine) {
  const std::string text = BlankCommentsAndStrings(css);
  const TLines lines(text);
  std::vector<TEngineFinding> findings;
  // Declarations: a name after "{", ";" or the start, then ":".
  char before = ';';
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') continue;
    if ((before == ';' || before == '{') && IsCssNameChar(c)) {
      size_t end = i;
      while (end < text.size() && IsCssNameChar(text[end])) ++end;
      const std::string_view name = std::string_view(text).substr(i, end - i);
      size_t colon = end;
      while (colon < text.size() && (text[colon] == ' ' || text[colon] == '\t')) ++colon;
      if (colon < text.size() && text[colon] == ':') {
        const size_t valueEnd = std::min(text.find_first_of(";}", colon), text.size());
        std::string value;
        for (size_t k = colon + 1; k < valueEnd; ++k) {
          if (text[k] != ' ' && text[k] != '\t' && text[k] != '\n' && text[k] != '\r') value += Lower(text[k]);
        }
        const size_t line = firstLine + lines.LineOf(i) - 1;
        std::string lowerName;
        for (const char n : name) lowerName += Lower(n);
        if (lowerName.starts_with("--")) AddFinding(findings, line, u"custom properties (--name)");
        if (lowerName == "grid" || lowerName.starts_with("grid-") ||
            (lowerName == "display" && (value.starts_with("grid") || value.starts_with("inline-grid")))) {
          AddFinding(findings, line, u"CSS grid");
        }
        if (value.find("var(") != std::string::npos) {
          AddFinding(findings, firstLine + lines.LineOf(colon) - 1, u"custom properties (var())");
        }
        i = valueEnd - 1;
        before = ';';
        continue;
      }
    }
    before = c;
  }
  for (TEngineFinding& finding : findings) finding.Css = true;
  return findings;
}

std::vector<TEngineFinding> TWindowsEngineLint::CheckHtml(std::string_view html) {
  const TLines lines(html);
  std::vector<TEngineFinding> findings;
  for (size_t i = html.find('<'); i != std::string_view::npos; i = html.find('<', i + 1)) {
    if (html.substr(i, 4) == "<!--") {
      const size_t end = html.find("-->", i + 4);
      if (end == std::string_view::npos) break;
      i = end;
      continue;
    }
    const bool script = StartsWithNoCase(html, i, "<script");
    const bool style = StartsWithNoCase(html, i, "<style");
    const size_t nameEnd = i + (script ? 7 : style ? 6 : 1);
    if ((script || style) && nameEnd < html.size() && IsCssNameChar(html[nameEnd])) continue;
    if (i + 1 < html.size() && (html[i + 1] == '/' || html[i + 1] == '!' || html[i + 1] == '?')) continue;
    const size_t tagEnd = TagEnd(html, i);
    const std::string_view tag = html.substr(nameEnd, tagEnd - nameEnd);
    if (const auto [value, at] = Attribute(tag, "style"); at != std::string_view::npos) {
      // An attribute holds declarations without braces.
      Append(findings, CheckCss(value, lines.LineOf(nameEnd + at)));
    }
    if (!script && !style) continue;
    const size_t bodyStart = std::min(tagEnd + 1, html.size());
    const size_t close = FindNoCase(html, bodyStart, script ? "</script" : "</style");
    const std::string_view body =
        html.substr(bodyStart, (close == std::string_view::npos ? html.size() : close) - bodyStart);
    if (style) {
      Append(findings, CheckCss(body, lines.LineOf(bodyStart)));
    } else {
      std::string type;
      for (const char c : Attribute(tag, "type").first) type += Lower(c);
      if (type == "module") AddFinding(findings, lines.LineOf(i), u"module scripts (type=\"module\")");
      const bool javaScript = type.empty() || type == "module" || type.find("javascript") != std::string::npos ||
                              type.find("ecmascript") != std::string::npos || type.find("jscript") != std::string::npos;
      if (javaScript) Append(findings, CheckScript(body, lines.LineOf(bodyStart)));
    }
    if (close == std::string_view::npos) break;
    i = close;
  }
  return findings;
}

TWindowsEngineLint::TKind TWindowsEngineLint::KindOf(StringView name) {
  const String upper = UpperCaseAscii(name);
  if (upper.ends_with(u".JS") || upper.ends_with(u".MJS")) return TKind::Script;
  if (upper.ends_with(u".CSS")) return TKind::Css;
  if (upper.ends_with(u".HTM") || upper.ends_with(u".HTML")) return TKind::Html;
  return TKind::None;
}

}  // namespace lumora
