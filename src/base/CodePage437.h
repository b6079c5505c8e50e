// Code page 437, the original IBM PC character set: the OEM code page that
// DOS-era ZIP writers stored names in, and the one the Linux backend stands
// in for the system's OEM code page.
#pragma once

#include <string_view>

#include "base/String.h"

namespace lumora {

// Every byte maps to one code unit; 0x00-0x7F stay ASCII (control codes are
// not turned into the PC's graphic symbols, as Windows' own conversion).
String DecodeCodePage437(std::string_view bytes);

}  // namespace lumora
