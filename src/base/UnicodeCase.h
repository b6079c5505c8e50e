// Lower case by Unicode's own rules: the same answer on every machine, in
// every locale, on both systems (the C library's towlower depends on the
// locale: "I" is "ı" under Turkish, and Windows' C locale leaves "É" alone).
#pragma once

#include "base/String.h"

namespace lumora {

// Unicode's simple lower-case mapping of c (one code point for one, as in
// UnicodeData.txt); c itself when it has none.
char32_t LowerCaseCodePoint(char32_t c);

// text with every code point lower-cased by LowerCaseCodePoint, a surrogate
// pair as the one code point it encodes. Lengths and positions stay: each
// small letter needs as many UTF-16 units as its capital. Lone surrogates
// stay as they are.
String LowerCaseUnicode(StringView text);

}  // namespace lumora
