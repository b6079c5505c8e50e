// Icon files made in code for the icon tests, and a look at the pixels of
// a TBitmap.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "os/SysUtils.h"

namespace lumora::test {

struct TPixel {
  uint8_t B, G, R, A;
};

inline void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// An icon file with one 32-bit image of size x size whose pixels come from
// pixelAt(x, y), y counted from the top, with straight (not premultiplied)
// alpha as icon files store it. The AND mask is all clear: the alpha
// channel alone says what shows.
template <typename PixelAt>
std::string IconFile(int size, PixelAt pixelAt) {
  std::string image;
  PutLe(image, 40, 4);
  PutLe(image, static_cast<uint32_t>(size), 4);
  PutLe(image, static_cast<uint32_t>(2 * size), 4);  // colour and mask together
  PutLe(image, 1, 2);
  PutLe(image, 32, 2);
  image += std::string(24, '\0');
  for (int y = size - 1; y >= 0; --y) {  // rows bottom-up
    for (int x = 0; x < size; ++x) {
      const TPixel p = pixelAt(x, y);
      image += {static_cast<char>(p.B), static_cast<char>(p.G), static_cast<char>(p.R), static_cast<char>(p.A)};
    }
  }
  const int maskRow = ((size + 31) / 32) * 4;
  image += std::string(static_cast<size_t>(maskRow * size), '\0');

  std::string file;
  PutLe(file, 0, 2);
  PutLe(file, 1, 2);  // an icon
  PutLe(file, 1, 2);  // one image
  file += static_cast<char>(size);
  file += static_cast<char>(size);
  file += std::string(2, '\0');
  PutLe(file, 1, 2);
  PutLe(file, 32, 2);
  PutLe(file, static_cast<uint32_t>(image.size()), 4);
  PutLe(file, 22, 4);
  return file + image;
}

inline TPixel PixelOf(const TBitmap& bitmap, int x, int y) {
  const uint8_t* p = bitmap.Pixels.data() + (static_cast<size_t>(y) * bitmap.Width + x) * 4;
  return {p[0], p[1], p[2], p[3]};
}

// Each channel within 1 of the expected value (premultiplying rounds).
inline ::testing::AssertionResult PixelIs(const TBitmap& bitmap, int x, int y, TPixel expected) {
  const TPixel actual = PixelOf(bitmap, x, y);
  const auto near = [](int a, int b) { return std::abs(a - b) <= 1; };
  if (near(actual.B, expected.B) && near(actual.G, expected.G) && near(actual.R, expected.R) &&
      near(actual.A, expected.A)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is B" << +actual.B << " G" << +actual.G << " R"
                                       << +actual.R << " A" << +actual.A << ", not B" << +expected.B << " G"
                                       << +expected.G << " R" << +expected.R << " A" << +expected.A;
}

// ExtractExeIcon finds no icon in path and leaves the bitmap as it was.
inline ::testing::AssertionResult HasNoIcon(const String& path) {
  const TBitmap before{2, 1, {1, 2, 3, 4, 5, 6, 7, 8}};
  TBitmap bitmap = before;
  if (TSysUtils::ExtractExeIcon(path, bitmap)) {
    return ::testing::AssertionFailure() << ToUtf8(path) << " has an icon";
  }
  if (bitmap.Width != before.Width || bitmap.Height != before.Height || bitmap.Pixels != before.Pixels) {
    return ::testing::AssertionFailure() << "the bitmap changed for " << ToUtf8(path);
  }
  return ::testing::AssertionSuccess();
}

}  // namespace lumora::test
