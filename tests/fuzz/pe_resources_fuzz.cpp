// Reads arbitrary bytes as a Windows program's resources and, when they
// read, rewrites them with a new main icon and version strings, then reads
// the result again: the headers, the section table, the resource directory,
// the version resource and the relayout of the sections all see hostile
// input. Errors are expected; crashes, endless loops and reads out of
// bounds are not.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <vector>

#include "os/ImageHeaders.h"
#include "core/pe/PeImage.h"
#include "core/pe/PeResourceEditor.h"

using namespace lumora;

namespace {

// A valid icon file of one 1 x 1 image.
const std::vector<uint8_t> kIcon = {0, 0, 1, 0, 1, 0, 1, 1, 0, 0, 1, 0, 32, 0, 4, 0, 0, 0, 22, 0, 0, 0, 1, 2, 3, 4};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  const THeaderReader read = [&bytes](uint64_t offset, void* out, size_t count) {
    if (offset > bytes.size() || count > bytes.size() - offset) return false;
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), count, static_cast<uint8_t*>(out));
    return true;
  };
  (void)PeImageEnd(read);
  (void)PeCertificateTableStart(read);
  try {
    TPeResourceEditor editor(u"fuzz.exe", bytes);
    try {
      editor.ReplaceMainIcon(kIcon);
    } catch (const std::exception&) {
    }
    editor.SetVersionStrings({{u"ProductName", u"Fuzz"}, {u"FileVersion", u"1.2.3.4"}});
    const TPeResourceEditor again(u"fuzz.exe", editor.Bytes());
    (void)again.Resources().Items().size();
  } catch (const std::exception&) {
  }
  return 0;
}
