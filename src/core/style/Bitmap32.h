// A 32-bit image in memory and the image control a style preview goes to.
#pragma once

#include <cstdint>
#include <vector>

namespace lumora {

// Rows top-down, each pixel 0xAARRGGBB.
struct TBitmap32 {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;

  uint32_t Pixel(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
};

// An image control: the size of its client area and the picture it shows.
struct TImage {
  int ClientWidth = 0;
  int ClientHeight = 0;
  TBitmap32 Picture;
};

}  // namespace lumora
