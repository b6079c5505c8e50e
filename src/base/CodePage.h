// Windows-1252, the ANSI code page the Linux backend stands in for the
// system's: by table, so a packaged site reads the same on every machine.
#pragma once

#include <string>
#include <string_view>

#include "base/String.h"

namespace lumora {

// Every byte maps to one code unit. The five bytes 1252 leaves unassigned
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value,
// as Windows' own conversion does.
String DecodeWindows1252(std::string_view bytes);

// The inverse of DecodeWindows1252; a character the code page lacks becomes
// "?" (one per character, so a surrogate pair gives one "?"). No best-fit
// look-alikes.
std::string EncodeWindows1252(StringView text);

}  // namespace lumora
