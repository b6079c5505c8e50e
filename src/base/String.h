// The system's text type and the conversions every layer needs.
//
// Text is UTF-16 throughout, as on the Windows side, so that positions and
// lengths count UTF-16 code units on both platforms. 8-bit text (passwords,
// legacy archive names, page bytes) stays in std::string.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lumora {

using String = std::u16string;
using StringView = std::u16string_view;

// The platform's path separator: "\" on Windows, "/" elsewhere.
#ifdef _WIN32
inline constexpr char16_t PathDelim = u'\\';
#else
inline constexpr char16_t PathDelim = u'/';
#endif

// UTF-8 <-> UTF-16. Malformed input (bad bytes, lone surrogates) becomes
// U+FFFD rather than failing: these are for display and platform calls.
std::string ToUtf8(StringView text);
String FromUtf8(std::string_view text);

// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates,
// nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Latin-1 widening of ASCII-only literals and numbers.
String FromAscii(std::string_view text);
String IntToStr(int64_t value);

// Appends the platform separator unless the text already ends in one; an
// empty text becomes the separator alone.
String IncludeTrailingPathDelimiter(StringView path);

// The value of an ASCII hex digit (0-9, a-f, A-F), or -1 for anything else.
int HexDigitValue(char16_t c);

// Upper-cases only the ASCII letters a-z.
String UpperCaseAscii(StringView text);

// text with each code point (a surrogate pair as the one it encodes)
// replaced by map's answer where that needs as many UTF-16 units, so that
// lengths and positions stay; lone surrogates stay as they are.
String MapCodePoints(StringView text, char32_t (*map)(char32_t));

// Replaces each "%s" of the pattern, in order, by the next argument.
String Format(StringView pattern, std::initializer_list<StringView> args);

}  // namespace lumora
