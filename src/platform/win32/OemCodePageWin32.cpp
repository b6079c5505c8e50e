// The code pages on Windows: the system's own.
#include <windows.h>

#include <climits>
#include <stdexcept>

#include "platform/OemCodePage.h"
#include "platform/win32/WideString.h"

namespace lumora {

uint32_t SystemAnsiCodePage() { return ::GetACP(); }

uint32_t SystemOemCodePage() { return ::GetOEMCP(); }

String DecodeOem(std::string_view bytes) {
  if (bytes.empty()) return String();
  if (bytes.size() > static_cast<size_t>(INT_MAX)) {
    throw std::length_error("text too long to convert");
  }
  const int byteCount = static_cast<int>(bytes.size());
  const int length = ::MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), byteCount, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), byteCount, wide.data(), length);
  return FromWide(wide.data(), wide.size());
}

}  // namespace lumora
