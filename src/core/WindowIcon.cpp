#include "core/WindowIcon.h"

#include <vector>

#include "base/ByteOrder.h"
#include "os/IconFile.h"

namespace lumora {

namespace {

constexpr std::string_view kPngSignature("\x89PNG\r\n\x1A\n", 8);

const uint8_t* At(std::string_view bytes, size_t at) { return reinterpret_cast<const uint8_t*>(bytes.data() + at); }

bool SideOk(uint32_t side) { return side >= 1 && side <= TWindowIcon::kMaxSide; }

// A PNG's size is in its first chunk, which must be the header (IHDR).
bool IsSmallPng(std::string_view bytes) {
  if (bytes.size() < 24 || !bytes.starts_with(kPngSignature) || bytes.substr(12, 4) != "IHDR") {
    return false;
  }
  return SideOk(ReadBigEndianU32(At(bytes, 16))) && SideOk(ReadBigEndianU32(At(bytes, 20)));
}

// An ICO image is a PNG, or a bitmap info header whose height counts the
// colour rows and the mask rows together. Its width is signed; a negative
// height (top-down rows) is refused as icons never use it.
bool IsSmallIcoImage(std::string_view image) {
  if (image.starts_with(kPngSignature)) return IsSmallPng(image);
  if (image.size() < 40 || ReadU32(At(image, 0)) < 40) return false;
  const auto width = static_cast<int32_t>(ReadU32(At(image, 4)));
  const auto height = static_cast<int32_t>(ReadU32(At(image, 8)));
  return width > 0 && height > 0 && SideOk(static_cast<uint32_t>(width)) &&
         SideOk(static_cast<uint32_t>(height / 2 + height % 2));
}

}  // namespace

bool TWindowIcon::IsAcceptable(std::string_view bytes) {
  if (bytes.size() > kMaxBytes) return false;
  if (bytes.starts_with(kPngSignature)) return IsSmallPng(bytes);
  if (!bytes.starts_with(std::string_view("\0\0\1\0", 4))) return false;
  const std::vector<uint8_t> icon(bytes.begin(), bytes.end());
  if (!TIconFile::IsValid(icon)) return false;
  const std::vector<TIconImage> images = TIconFile::Images(icon);
  if (images.empty()) return false;
  for (const TIconImage& image : images) {
    if (!IsSmallIcoImage(bytes.substr(image.Offset, image.Size))) return false;
  }
  return true;
}

}  // namespace lumora
