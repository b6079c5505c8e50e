#include "core/zip/ZipDataWindow.h"

#include <algorithm>

namespace lumora {

TZipDataWindow::TZipDataWindow(TStream& file, uint64_t start, uint64_t length) : FFile(file), FRemaining(length) {
  FFile.SetPosition(static_cast<int64_t>(start));
}

size_t TZipDataWindow::Read(uint8_t* buffer, size_t count) {
  const auto wanted = static_cast<size_t>(std::min<uint64_t>(count, FRemaining));
  size_t done = 0;
  while (done < wanted) {
    const int64_t n = FFile.Read(buffer + done, static_cast<int64_t>(wanted - done));
    if (n <= 0) {
      FRemaining = 0;
      return done;
    }
    done += static_cast<size_t>(n);
  }
  FRemaining -= done;
  return done;
}

}  // namespace lumora
