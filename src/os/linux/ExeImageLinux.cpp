// Linux has no loaded image whose section table could be read from memory,
// so the running executable's ELF headers are read from its file.
#include "base/Exception.h"
#include "os/ImageHeaders.h"
#include "os/ExeImage.h"
#include "os/File.h"

namespace lumora {

int64_t RunningImageLength() {
  const String path = ExecutablePath();
  const int64_t end = ImageEndOfFile(path);
  if (end < 0) {
    throw Exception(Format(u"Cannot read the image headers of \"%s\"", {path}));
  }
  return end;
}

}  // namespace lumora
