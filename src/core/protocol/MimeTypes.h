// Content types of archive entries by extension, for URL-layer backends
// that must name the type themselves (WebKitGTK): module scripts, SVG,
// fonts and WebAssembly are refused or misread without the right one.
#pragma once

#include "base/String.h"

namespace lumora {

class TMimeTypes {
 public:
  TMimeTypes() = delete;

  // The type of an entry name by its extension (ASCII letter case ignored),
  // or the empty text when the extension is unknown and the browser should
  // sniff the content.
  static String ForName(StringView name);
};

}  // namespace lumora
