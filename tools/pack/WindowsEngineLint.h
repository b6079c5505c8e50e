// What the Windows runtime's engine (the WebBrowser control, Internet
// Explorer 11's Trident) does not run: script syntax newer than ES5 and
// CSS it ignores. A syntax error stops a whole script there, so each one
// is worth a line with its place. Script is read with a tokenizer (strings,
// comments, template literals and regular-expression literals are skipped
// as the engine skips them), not searched for text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/String.h"

namespace lumora {

struct TEngineFinding {
  size_t Line = 0;   // counted from 1 in the file
  String What;       // the construct, as the message names it
  bool Css = false;  // CSS the engine ignores, rather than script it stops at
  bool operator==(const TEngineFinding&) const = default;
};

class TWindowsEngineLint {
 public:
  TWindowsEngineLint() = delete;

  // firstLine: the line of the file the text starts on.
  static std::vector<TEngineFinding> CheckScript(std::string_view script, size_t firstLine = 1);
  static std::vector<TEngineFinding> CheckCss(std::string_view css, size_t firstLine = 1);
  // Inline <script> elements (module scripts named as such), <style>
  // elements and style attributes of an HTML page.
  static std::vector<TEngineFinding> CheckHtml(std::string_view html);

  // Which files are read, by name: ".js"/".mjs", ".css", ".htm"/".html".
  enum class TKind { None, Script, Css, Html };
  static TKind KindOf(StringView name);
};

}  // namespace lumora
