// The code pages on Linux: fixed, whatever the environment's locale, so a
// package reads the same on every machine.
#include "base/CodePage.h"
#include "base/CodePage437.h"
#include "os/CodePage.h"

namespace lumora {

String DecodeAnsi(std::string_view bytes) { return DecodeWindows1252(bytes); }

std::string EncodeAnsi(StringView text) { return EncodeWindows1252(text); }

uint32_t SystemAnsiCodePage() { return 1252; }

uint32_t SystemOemCodePage() { return 437; }

String DecodeOem(std::string_view bytes) { return DecodeCodePage437(bytes); }

}  // namespace lumora
