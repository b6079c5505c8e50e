// Which files of a site folder stay out of the package: version-control
// folders and the leftovers of systems and editors by default, and the
// author's own glob patterns (--exclude, and the ignore file at the top of
// the site folder).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/String.h"

namespace lumora {

// The ignore file: one glob pattern a line, read from the top of the site
// folder and never packed itself.
inline constexpr StringView kIgnoreFileName = u".lumoraignore";

// Why an entry was left out.
enum class TExcludeReason { None, Default, Author };

class TSiteFilter {
 public:
  // defaults: leave out the built-in patterns; patterns: the author's.
  TSiteFilter(bool defaults, std::vector<std::string> patterns);

  // Reads the ignore file's patterns (UTF-8; blank lines and lines starting
  // with "#" skipped) and adds them. A missing file adds nothing.
  void AddIgnoreFile(const String& path);

  // Whether the entry (its name below the site folder, "/" between
  // folders) is left out, and why. A folder left out takes everything in
  // it along.
  TExcludeReason Match(std::string_view name, bool folder) const;

  // Glob matching as the patterns use it: "*" any run of characters but
  // "/", "**" any run including "/" ("a/**/b" matches "a/b" too), "?" one
  // character but "/", "[abc]", "[a-z]" and "[!abc]" one of (or none of)
  // the set, "\" takes the next character as it is. ASCII letter case is
  // ignored, as the runtime ignores it when it finds entries.
  static bool GlobMatch(std::string_view pattern, std::string_view text);

  // The built-in patterns, for the documentation and the tests.
  static const std::vector<std::string>& DefaultPatterns();

 private:
  struct TPattern {
    std::string Glob;  // without a trailing "/" or a leading "/"
    bool FolderOnly = false;
    bool Anchored = false;  // holds a "/": matched against the whole name
  };
  static TPattern Compile(std::string_view text);
  static bool Matches(const std::vector<TPattern>& patterns, std::string_view name, bool folder);

  std::vector<TPattern> FDefaults;
  std::vector<TPattern> FAuthor;
};

}  // namespace lumora
