// The web process extension behind window.external (webext/BridgeExtension.cpp),
// built as a shared object of its own and carried in the runtime as bytes,
// so that a packed program stays one file. The table is generated at build
// time from the built extension (cmake/EmbedFile.cmake).
#pragma once

#include <cstddef>

namespace lumora {

extern const unsigned char kBridgeExtensionImage[];
extern const size_t kBridgeExtensionImageSize;

}  // namespace lumora
