// Recognises files that are already compressed from their first bytes:
// Deflate cannot make them smaller, so the packer stores them without
// trying.
#pragma once

#include <cstdint>
#include <span>

namespace lumora {

class TCompressedFormats {
 public:
  TCompressedFormats() = delete;

  // How many leading bytes Recognizes looks at, at most.
  static constexpr size_t kSignatureSize = 12;

  // Whether start, a file's first bytes (all of them for a shorter file),
  // begins like a JPEG, PNG, WebP, MP3, MP4, WebM, WOFF2, ZIP or GZIP file.
  static bool Recognizes(std::span<const uint8_t> start);
};

}  // namespace lumora
