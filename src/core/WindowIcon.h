// The package's window icon ("lm-icon"): which images a program may hand to
// its toolkit. The bytes come from a package, so a picture whose header
// promises a huge image (a few compressed bytes can describe gigabytes of
// pixels) is refused before any decoder allocates for it.
#pragma once

#include <cstdint>
#include <string_view>

namespace lumora {

class TWindowIcon {
 public:
  TWindowIcon() = delete;

  static constexpr size_t kMaxBytes = 1048576;
  static constexpr uint32_t kMaxSide = 1024;

  // True for a PNG picture, or a valid ICO file whose images are PNG or
  // bitmap pictures, of at most kMaxBytes with no side over kMaxSide.
  static bool IsAcceptable(std::string_view bytes);
};

}  // namespace lumora
