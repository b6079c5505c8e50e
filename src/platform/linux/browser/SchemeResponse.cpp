#include "platform/linux/browser/SchemeResponse.h"

#include <string>

namespace lumora {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The byte of a "%XX" escape at uri[i], or -1.
int EscapedByte(std::string_view uri, size_t i) {
  if (i + 2 >= uri.size() || uri[i] != '%') return -1;
  const int high = HexValue(uri[i + 1]);
  const int low = HexValue(uri[i + 2]);
  return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// How many bytes the UTF-8 sequence led by lead has, or 0 for no lead byte.
size_t SequenceLength(int lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

}  // namespace

String UrlFromWebKit(std::string_view uri) {
  std::string out;
  out.reserve(uri.size());
  size_t i = 0;
  while (i < uri.size()) {
    const size_t length = SequenceLength(EscapedByte(uri, i));
    if (length > 0 && i + 3 * length <= uri.size()) {
      std::string sequence;
      for (size_t k = 0; k < length; ++k) {
        const int byte = EscapedByte(uri, i + 3 * k);
        if (byte < 0) break;
        sequence.push_back(static_cast<char>(byte));
      }
      if (sequence.size() == length && IsValidUtf8(sequence)) {
        out += sequence;
        i += 3 * length;
        continue;
      }
    }
    out.push_back(uri[i]);
    ++i;
  }
  return FromUtf8(out);
}

}  // namespace lumora
