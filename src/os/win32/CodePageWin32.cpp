// The code pages on Windows: the system's own (CP_ACP, CP_OEMCP).
#include <windows.h>

#include <climits>
#include <stdexcept>

#include "os/CodePage.h"
#include "os/win32/WideString.h"

namespace lumora {

namespace {

int CheckedLength(size_t size) {
  if (size > static_cast<size_t>(INT_MAX)) throw std::length_error("text too long to convert");
  return static_cast<int>(size);
}

String Decode(UINT codePage, std::string_view bytes) {
  if (bytes.empty()) return String();
  const int byteCount = CheckedLength(bytes.size());
  const int length = ::MultiByteToWideChar(codePage, 0, bytes.data(), byteCount, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(codePage, 0, bytes.data(), byteCount, wide.data(), length);
  return FromWide(wide.data(), wide.size());
}

}  // namespace

String DecodeAnsi(std::string_view bytes) { return Decode(CP_ACP, bytes); }

String DecodeOem(std::string_view bytes) { return Decode(CP_OEMCP, bytes); }

uint32_t SystemAnsiCodePage() { return ::GetACP(); }

uint32_t SystemOemCodePage() { return ::GetOEMCP(); }

std::string EncodeAnsi(StringView text) {
  if (text.empty()) return std::string();
  const std::wstring wide = Wide(text);
  const int unitCount = CheckedLength(wide.size());
  // Without WC_NO_BEST_FIT_CHARS Windows would write look-alikes ("A" for
  // "Ā"), which the Linux table does not. A UTF-8 ANSI code page (a Windows
  // 10 option) refuses both the flag and the default character, and has no
  // unmappable characters anyway.
  DWORD flags = WC_NO_BEST_FIT_CHARS;
  const char* defaultChar = "?";
  int size = ::WideCharToMultiByte(CP_ACP, flags, wide.data(), unitCount, nullptr, 0, defaultChar, nullptr);
  if (size == 0) {
    flags = 0;
    defaultChar = nullptr;
    size = ::WideCharToMultiByte(CP_ACP, flags, wide.data(), unitCount, nullptr, 0, nullptr, nullptr);
  }
  std::string out(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, flags, wide.data(), unitCount, out.data(), size, defaultChar, nullptr);
  return out;
}

}  // namespace lumora
