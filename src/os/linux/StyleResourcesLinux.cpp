// The style files of the running program: the generated table.
#include "os/EmbeddedStyleTable.h"
#include "os/StyleResources.h"

namespace lumora {

std::vector<TStyleResource> EmbeddedStyleResources() {
  std::vector<TStyleResource> resources;
  for (size_t i = 0; i < EmbeddedStyleFileCount; ++i) {
    const TEmbeddedStyleFile& file = EmbeddedStyleFiles[i];
    resources.push_back({String(file.Name), std::vector<uint8_t>(file.Data, file.Data + file.Size)});
  }
  return resources;
}

}  // namespace lumora
