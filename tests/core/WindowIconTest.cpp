// Which packaged icons reach the toolkit: small PNG and ICO pictures only,
// judged by their headers before anything is decoded.
#include <gtest/gtest.h>

#include <string>

#include "core/WindowIcon.h"

namespace lumora {
namespace {

std::string BigEndian(uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
          static_cast<char>(value)};
}
std::string LittleEndian(uint32_t value, size_t bytes = 4) {
  std::string out;
  for (size_t i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i));
  return out;
}

// The start of a PNG: signature and header chunk (the rest does not matter
// to the check).
std::string Png(uint32_t width, uint32_t height, const std::string& chunk = "IHDR") {
  return std::string("\x89PNG\r\n\x1A\n", 8) + BigEndian(13) + chunk + BigEndian(width) + BigEndian(height) +
         std::string(5, '\0') + BigEndian(0);
}

std::string Bitmap(int32_t width, int32_t height) {
  return LittleEndian(40) + LittleEndian(static_cast<uint32_t>(width)) + LittleEndian(static_cast<uint32_t>(height)) +
         std::string(28, '\0');
}

// An ICO file holding the images in order.
std::string Ico(const std::vector<std::string>& images) {
  std::string head = std::string("\0\0\1\0", 4) + LittleEndian(static_cast<uint32_t>(images.size()), 2);
  std::string data;
  uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
  for (const std::string& image : images) {
    head += std::string(8, '\0') + LittleEndian(static_cast<uint32_t>(image.size())) + LittleEndian(offset);
    offset += static_cast<uint32_t>(image.size());
    data += image;
  }
  return head + data;
}

TEST(WindowIcon, AcceptsSmallPicturesOnly) {
  const struct {
    const char* Name;
    std::string Bytes;
    bool Accepted;
  } cases[] = {
      {"png 48", Png(48, 48), true},
      {"png 1024 x 1", Png(1024, 1), true},
      {"png 1025 wide", Png(1025, 16), false},
      {"png huge", Png(30000, 30000), false},
      {"png zero", Png(0, 16), false},
      {"png first chunk not IHDR", Png(16, 16, "IDAT"), false},
      {"png cut short", Png(16, 16).substr(0, 20), false},
      {"ico png + bitmap", Ico({Png(256, 256), Bitmap(32, 64)}), true},
      {"ico huge png", Ico({Png(16, 16), Png(5000, 5000)}), false},
      {"ico huge bitmap", Ico({Bitmap(4000, 8000)}), false},
      {"ico top-down bitmap", Ico({Bitmap(32, -64)}), false},
      {"ico no images", Ico({}), false},
      {"ico image outside", Ico({Png(16, 16)}).substr(0, 30), false},
      {"gif", "GIF89a" + std::string(40, '\0'), false},
      {"empty", "", false},
      {"over 1 MiB", Png(16, 16) + std::string(TWindowIcon::kMaxBytes, '\0'), false},
  };
  for (const auto& c : cases) EXPECT_EQ(TWindowIcon::IsAcceptable(c.Bytes), c.Accepted) << c.Name;
}

}  // namespace
}  // namespace lumora
