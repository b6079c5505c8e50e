// The random source on Windows: RtlGenRandom (exported by advapi32 as
// SystemFunction036), which links statically and needs no provider handle.
#include <windows.h>
#include <ntsecapi.h>

#include <algorithm>
#include <system_error>

#include "os/Random.h"

namespace lumora {

void OsRandomBytes(void* buffer, size_t count) {
  auto* bytes = static_cast<unsigned char*>(buffer);
  while (count > 0) {
    const ULONG chunk = static_cast<ULONG>(std::min<size_t>(count, 0x10000));
    if (!RtlGenRandom(bytes, chunk)) {
      throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), "RtlGenRandom");
    }
    bytes += chunk;
    count -= chunk;
  }
}

}  // namespace lumora
