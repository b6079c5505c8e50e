// The system's code page numbers and its OEM code page, for the 8-bit entry
// names of old ZIP archives. Windows reports its own (GetACP, GetOEMCP);
// Linux stands in Windows-1252 as ANSI and 437 as OEM, by table, so a package
// reads the same on every machine.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/String.h"

namespace lumora {

uint32_t SystemAnsiCodePage();
uint32_t SystemOemCodePage();
String DecodeOem(std::string_view bytes);

}  // namespace lumora
