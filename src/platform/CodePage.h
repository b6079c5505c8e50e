// The system's ANSI code page: the 8-bit text of legacy configuration
// entries and of page templates. Windows uses the real one (GetACP); Linux
// uses Windows-1252 by table (core/CodePage.h). On 1252 text both give the
// same result.
#pragma once

#include <string>
#include <string_view>

#include "core/String.h"

namespace lumora {

String DecodeAnsi(std::string_view bytes);
// A character the code page lacks becomes "?"; no best-fit look-alikes.
std::string EncodeAnsi(StringView text);

}  // namespace lumora
