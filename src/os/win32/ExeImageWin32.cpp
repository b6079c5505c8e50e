// The image end of the running module, read from its headers in memory.
#include <windows.h>

#include <cstring>

#include "os/ImageHeaders.h"
#include "os/ExeImage.h"

namespace lumora {

int64_t RunningImageLength() {
  const auto* base = reinterpret_cast<const uint8_t*>(::GetModuleHandleW(nullptr));
  // The headers are mapped in full (SizeOfHeaders bytes); the reader stays
  // within the first page's headers the loader guarantees.
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const uint64_t mapped = nt->OptionalHeader.SizeOfHeaders;
  const THeaderReader read = [base, mapped](uint64_t offset, void* out, size_t count) {
    if (offset + count > mapped) return false;
    std::memcpy(out, base + offset, count);
    return true;
  };
  const int64_t end = PeImageEnd(read);
  return end < 0 ? 0 : end;
}

}  // namespace lumora
