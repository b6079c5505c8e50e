#include "pack/CompressedFormats.h"

#include <algorithm>
#include <string_view>

namespace lumora {

namespace {

bool HasAt(std::span<const uint8_t> bytes, size_t at, std::string_view signature) {
  return bytes.size() >= at + signature.size() &&
         std::equal(signature.begin(), signature.end(), bytes.begin() + static_cast<ptrdiff_t>(at),
                    [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; });
}

// An MPEG audio Layer III frame header: eleven set sync bits, a version
// other than the reserved one, layer III, and a bit-rate and sample-rate
// index that are not reserved. Layer III matters: the byte-order mark of
// UTF-16 text (FF FE) would pass as a Layer I header.
bool IsMp3Frame(std::span<const uint8_t> bytes) {
  if (bytes.size() < 3 || bytes[0] != 0xFF) return false;
  const uint8_t b1 = bytes[1];
  const uint8_t b2 = bytes[2];
  const bool sync = (b1 & 0xE0) == 0xE0;
  const bool version = ((b1 >> 3) & 0x03) != 0x01;
  const bool layer3 = ((b1 >> 1) & 0x03) == 0x01;
  const bool bitRate = (b2 >> 4) != 0x0F && (b2 >> 4) != 0x00;
  const bool sampleRate = ((b2 >> 2) & 0x03) != 0x03;
  return sync && version && layer3 && bitRate && sampleRate;
}

}  // namespace

bool TCompressedFormats::Recognizes(std::span<const uint8_t> start) {
  using namespace std::string_view_literals;
  return HasAt(start, 0, "\xFF\xD8\xFF"sv)                            // JPEG
         || HasAt(start, 0, "\x89PNG\r\n\x1A\n"sv)                    // PNG
         || (HasAt(start, 0, "RIFF"sv) && HasAt(start, 8, "WEBP"sv))  // WebP
         || HasAt(start, 0, "ID3"sv) || IsMp3Frame(start)             // MP3
         || HasAt(start, 4, "ftyp"sv)                                 // MP4 (ISO media)
         || HasAt(start, 0, "\x1A\x45\xDF\xA3"sv)                     // WebM (Matroska)
         || HasAt(start, 0, "wOF2"sv)                                 // WOFF2
         || HasAt(start, 0, "PK\x03\x04"sv)                           // ZIP
         || HasAt(start, 0, "\x1F\x8B\x08"sv);                        // GZIP
}

}  // namespace lumora
