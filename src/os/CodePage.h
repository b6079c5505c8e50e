// The system's 8-bit code pages: ANSI for the text of legacy configuration
// entries and page templates, OEM (and the two numbers) for the 8-bit entry
// names of old ZIP archives. Windows uses its own (GetACP, GetOEMCP); Linux
// stands in Windows-1252 as ANSI and 437 as OEM, by table, so a package
// reads the same on every machine. On such text both give the same result.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/String.h"

namespace lumora {

String DecodeAnsi(std::string_view bytes);
// A character the code page lacks becomes "?"; no best-fit look-alikes.
std::string EncodeAnsi(StringView text);

uint32_t SystemAnsiCodePage();
uint32_t SystemOemCodePage();
String DecodeOem(std::string_view bytes);

}  // namespace lumora
