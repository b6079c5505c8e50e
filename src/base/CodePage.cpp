#include "base/CodePage.h"

#include <array>

namespace lumora {

namespace {

// Code units of the bytes 0x80-0x9F; the rest of 1252 is Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

char16_t DecodeByte(unsigned char byte) {
  return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : char16_t{byte};
}

// The byte of a code unit, or -1 when 1252 has no such character.
int EncodeUnit(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return unit;
  for (size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == unit) return static_cast<int>(0x80 + i);
  }
  return -1;
}

}  // namespace

String DecodeWindows1252(std::string_view bytes) {
  String out;
  out.reserve(bytes.size());
  for (char byte : bytes) out += DecodeByte(static_cast<unsigned char>(byte));
  return out;
}

std::string EncodeWindows1252(StringView text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    const bool pairStart =
        unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    if (pairStart) ++i;
    const int byte = EncodeUnit(unit);
    out += byte < 0 ? '?' : static_cast<char>(byte);
  }
  return out;
}

}  // namespace lumora
