// The ANSI code page on Linux: Windows-1252 everywhere, whatever the
// environment's locale, so a package reads the same on every machine.
#include "core/CodePage.h"
#include "platform/CodePage.h"

namespace lumora {

String DecodeAnsi(std::string_view bytes) { return DecodeWindows1252(bytes); }

std::string EncodeAnsi(StringView text) { return EncodeWindows1252(text); }

}  // namespace lumora
