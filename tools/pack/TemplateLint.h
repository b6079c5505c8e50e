// The packer's check of template directives: the runtime leaves a directive
// that includes nothing in the page without a word, so the packer names
// each one, by page and line, with the reason, and text that looks like a
// directive but is none.
#pragma once

#include <string_view>
#include <vector>

#include "base/String.h"

namespace lumora {

class TTemplateLint {
 public:
  // entryNames: every entry of the package; rootDir: RootDirName.
  TTemplateLint(std::vector<String> entryNames, String rootDir);

  // Whether a page of this name is worth reading: its extension is ".htm"
  // or ".html" in any letter case (only the exact ones are expanded, which
  // is itself worth a warning).
  static bool IsPageCandidate(StringView name);

  // The warnings for one page, each "NAME:LINE: what is wrong (the fix)".
  std::vector<String> Check(StringView pageName, std::string_view bytes) const;

 private:
  bool HasEntry(StringView name) const;
  String Reason(StringView directiveName) const;
  String Hint(StringView directiveName) const;

  std::vector<String> FNames;
  // The same, upper-cased and sorted, to look names up as the runtime does.
  std::vector<String> FUpperNames;
  // The HTML entries below the root folder, named as a directive names them.
  std::vector<String> FIncludable;
  String FRootDir;
};

}  // namespace lumora
