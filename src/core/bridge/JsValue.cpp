#include "core/bridge/JsValue.h"

#include <charconv>
#include <cmath>

namespace lumora {
namespace {

// The low 16 bits of an integer, read as a signed number.
int16_t Low16(int64_t value) { return static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF)); }

}  // namespace

String TJsValue::ToText() const {
  switch (Kind()) {
    case TKind::Undefined:
      return {};
    case TKind::Text:
      return AsString();
    case TKind::Boolean:
      return AsBoolean() ? u"true" : u"false";
    case TKind::Number:
      break;
  }
  const double number = AsNumber();
  if (std::isnan(number)) return u"NaN";
  if (std::isinf(number)) return number > 0 ? u"Infinity" : u"-Infinity";
  if (number == 0) return u"0";  // also -0, as the script prints it
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, number).ptr;
  return FromAscii(std::string_view(buffer, static_cast<size_t>(end - buffer)));
}

int16_t TJsValue::ToInt16() const {
  switch (Kind()) {
    case TKind::Undefined:
      return 0;
    case TKind::Boolean:
      return AsBoolean() ? -1 : 0;
    case TKind::Text: {
      const std::string text = ToUtf8(AsString());
      int64_t value = 0;
      const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
      if (error != std::errc() || end != text.data() + text.size() || text.empty()) return 0;
      return Low16(value);
    }
    case TKind::Number:
      break;
  }
  const double number = std::trunc(AsNumber());
  // Beyond 2^63 the low 16 bits of a double are zero anyway.
  if (!std::isfinite(number) || std::fabs(number) >= 9.2e18) return 0;
  return Low16(static_cast<int64_t>(number));
}

}  // namespace lumora
