// Windows' wchar_t is 16 bits wide, so the system's UTF-16 strings pass to
// and from the W functions unchanged.
#pragma once

#include <string>

#include "base/String.h"

namespace lumora {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline std::wstring Wide(StringView text) { return std::wstring(text.begin(), text.end()); }

inline String FromWide(const wchar_t* text, size_t length) {
  return String(reinterpret_cast<const char16_t*>(text), length);
}

inline String FromWide(const wchar_t* text) {
  return text ? FromWide(text, std::char_traits<wchar_t>::length(text)) : String();
}

}  // namespace lumora
