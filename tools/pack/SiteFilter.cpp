#include "pack/SiteFilter.h"

#include <filesystem>
#include <fstream>

namespace lumora {

namespace {

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// The length of the UTF-8 character that starts at text[i]: "?" and a set
// take a whole character, not a byte of one.
size_t CharacterLength(std::string_view text, size_t i) {
  size_t length = 1;
  while (i + length < text.size() && (static_cast<unsigned char>(text[i + length]) & 0xC0) == 0x80) ++length;
  return length;
}

// A "[...]" set at pattern[p] against the character at text[t]. Sets hold
// ASCII ranges and single characters; false when the set is not closed,
// which then matches nothing.
bool SetMatch(std::string_view pattern, size_t& p, std::string_view character) {
  size_t i = p + 1;
  const bool negated = i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^');
  if (negated) ++i;
  bool matched = false;
  const char c = FoldAscii(character[0]);
  bool first = true;
  for (; i < pattern.size() && (pattern[i] != ']' || first); first = false) {
    const size_t length = CharacterLength(pattern, i);
    const std::string_view member = pattern.substr(i, length);
    if (length == 1 && i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
      const char low = FoldAscii(pattern[i]);
      const char high = FoldAscii(pattern[i + 2]);
      if (character.size() == 1 && c >= low && c <= high) matched = true;
      i += 3;
      continue;
    }
    if (member.size() == character.size() && (length == 1 ? FoldAscii(member[0]) == c : member == character)) {
      matched = true;
    }
    i += length;
  }
  if (i >= pattern.size()) return false;
  p = i + 1;
  return matched != negated;
}

bool Glob(std::string_view pattern, std::string_view text) {
  size_t p = 0;
  size_t t = 0;
  while (p < pattern.size()) {
    const char c = pattern[p];
    if (c == '*') {
      const bool any = p + 1 < pattern.size() && pattern[p + 1] == '*';
      std::string_view rest = pattern.substr(p + (any ? 2 : 1));
      // "**/" also stands for no folder at all.
      if (any && rest.starts_with('/') && Glob(rest.substr(1), text.substr(t))) return true;
      for (size_t end = t;; ++end) {
        if (Glob(rest, text.substr(end))) return true;
        if (end == text.size() || (!any && text[end] == '/')) return false;
      }
    }
    if (t == text.size()) return false;
    const size_t length = CharacterLength(text, t);
    const std::string_view character = text.substr(t, length);
    if (c == '?') {
      if (character == "/") return false;
      ++p;
    } else if (c == '[') {
      if (character == "/" || !SetMatch(pattern, p, character)) return false;
    } else {
      if (c == '\\' && p + 1 < pattern.size()) ++p;
      const size_t patternLength = CharacterLength(pattern, p);
      const std::string_view literal = pattern.substr(p, patternLength);
      if (literal.size() != character.size()) return false;
      if (length == 1 ? FoldAscii(literal[0]) != FoldAscii(character[0]) : literal != character) return false;
      p += patternLength;
    }
    t += length;
  }
  return t == text.size();
}

}  // namespace

const std::vector<std::string>& TSiteFilter::DefaultPatterns() {
  static const std::vector<std::string> patterns = {
      // Version control: its folders (and the ".git" file of a worktree or
      // submodule) and its own files.
      ".git", ".svn", ".hg", ".bzr", "_darcs", "CVS/", ".fslckout", ".gitignore", ".gitattributes", ".gitmodules",
      ".hgignore",
      // What file managers leave behind.
      ".DS_Store", "._*", ".Spotlight-V100/", ".Trashes/", ".fseventsd/", "Thumbs.db", "ehthumbs.db", "desktop.ini",
      ".directory", "$RECYCLE.BIN/",
      // Editors' backups, swap and lock files, and their project folders.
      "*~", ".*.swp", ".*.swo", "#*#", ".#*", ".idea/", ".vscode/"};
  return patterns;
}

TSiteFilter::TSiteFilter(bool defaults, std::vector<std::string> patterns) {
  if (defaults) {
    for (const std::string& pattern : DefaultPatterns()) FDefaults.push_back(Compile(pattern));
  }
  for (const std::string& pattern : patterns) FAuthor.push_back(Compile(pattern));
}

void TSiteFilter::AddIgnoreFile(const String& path) {
  std::ifstream file{std::filesystem::path(path)};
  std::string line;
  while (std::getline(file, line)) {
    if (line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    FAuthor.push_back(Compile(std::string_view(line).substr(start)));
  }
}

TSiteFilter::TPattern TSiteFilter::Compile(std::string_view text) {
  TPattern pattern;
  if (text.ends_with('/')) {
    pattern.FolderOnly = true;
    text.remove_suffix(1);
  }
  pattern.Anchored = text.find('/') != std::string_view::npos;
  if (text.starts_with('/')) text.remove_prefix(1);
  pattern.Glob = text;
  return pattern;
}

bool TSiteFilter::Matches(const std::vector<TPattern>& patterns, std::string_view name, bool folder) {
  const size_t slash = name.rfind('/');
  const std::string_view base = slash == std::string_view::npos ? name : name.substr(slash + 1);
  for (const TPattern& pattern : patterns) {
    if (pattern.FolderOnly && !folder) continue;
    if (Glob(pattern.Glob, pattern.Anchored ? name : base)) return true;
  }
  return false;
}

TExcludeReason TSiteFilter::Match(std::string_view name, bool folder) const {
  if (Matches(FAuthor, name, folder)) return TExcludeReason::Author;
  if (Matches(FDefaults, name, folder)) return TExcludeReason::Default;
  return TExcludeReason::None;
}

bool TSiteFilter::GlobMatch(std::string_view pattern, std::string_view text) { return Glob(pattern, text); }

}  // namespace lumora
