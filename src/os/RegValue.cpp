// The typed registry value's conversions, shared by both backends.
#include "os/Registry.h"

namespace lumora {

TRegValue TRegValue::FromString(StringView text, TRegType type) {
  TRegValue value;
  value.Type = type;
  value.Data.reserve((text.size() + 1) * 2);
  for (char16_t c : text) {
    value.Data.push_back(static_cast<uint8_t>(c & 0xFF));
    value.Data.push_back(static_cast<uint8_t>(c >> 8));
  }
  value.Data.push_back(0);
  value.Data.push_back(0);
  return value;
}

TRegValue TRegValue::FromDWord(uint32_t number) {
  TRegValue value;
  value.Type = TRegType::DWord;
  for (int shift = 0; shift < 32; shift += 8) value.Data.push_back(static_cast<uint8_t>(number >> shift));
  return value;
}

String TRegValue::AsText() const {
  String text;
  // An odd trailing byte cannot be a whole character and is dropped.
  for (size_t i = 0; i + 1 < Data.size(); i += 2) {
    const char16_t c = static_cast<char16_t>(Data[i] | (Data[i + 1] << 8));
    if (c == 0) break;
    text.push_back(c);
  }
  return text;
}

uint32_t TRegValue::AsDWord() const {
  if (Data.size() < 4) return 0;
  return static_cast<uint32_t>(Data[0]) | static_cast<uint32_t>(Data[1]) << 8 | static_cast<uint32_t>(Data[2]) << 16 |
         static_cast<uint32_t>(Data[3]) << 24;
}

}  // namespace lumora
