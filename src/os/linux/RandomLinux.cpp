// The random source on Linux: the kernel's getrandom().
#include <sys/random.h>

#include <cerrno>
#include <system_error>

#include "os/Random.h"

namespace lumora {

void OsRandomBytes(void* buffer, size_t count) {
  auto* bytes = static_cast<unsigned char*>(buffer);
  while (count > 0) {
    // Requests above 256 bytes may come back short; a signal may interrupt.
    const ssize_t n = ::getrandom(bytes, count, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw std::system_error(errno, std::generic_category(), "getrandom");
    }
    bytes += n;
    count -= static_cast<size_t>(n);
  }
}

}  // namespace lumora
