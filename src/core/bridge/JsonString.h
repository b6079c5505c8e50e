// Text as a JSON string literal, which a script also reads as a JavaScript
// string literal: printable ASCII stays, everything else (quotes,
// backslashes, control characters, every non-ASCII unit, lone surrogates
// included) becomes a \uXXXX escape, so the literal is pure ASCII.
#pragma once

#include <cstdio>
#include <string>

#include "base/String.h"

namespace lumora {

inline std::string JsonString(StringView text) {
  std::string out = "\"";
  for (char16_t c : text) {
    if (c >= 0x20 && c < 0x7F && c != u'"' && c != u'\\') {
      out += static_cast<char>(c);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
      out += escape;
    }
  }
  return out + "\"";
}

}  // namespace lumora
