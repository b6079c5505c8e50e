// The code pages on Linux: fixed, whatever the environment's locale.
#include "core/zip/CodePage437.h"
#include "platform/OemCodePage.h"

namespace lumora {

uint32_t SystemAnsiCodePage() { return 1252; }

uint32_t SystemOemCodePage() { return 437; }

String DecodeOem(std::string_view bytes) { return DecodeCodePage437(bytes); }

}  // namespace lumora
