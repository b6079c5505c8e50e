// Reads arbitrary bytes as a style file. Nothing may crash or hang, and a
// file the reader accepts must survive being written and read again.
#include <cstddef>
#include <cstdint>

#include "core/style/StyleFile.h"

using namespace lumora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const TStyleDefinition style = ReadStyleFile({data, size});
    if (!(ReadStyleFile(WriteStyleFile(style)) == style)) __builtin_trap();
  } catch (const EStyleFormat&) {
  }
  return 0;
}
