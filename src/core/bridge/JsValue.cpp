#include "core/bridge/JsValue.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

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
  return NumberToText(AsNumber());
}

String NumberToText(double number) {
  if (std::isnan(number)) return u"NaN";
  if (number == 0) return u"0";  // also -0, as the script prints it
  if (number < 0) return u"-" + NumberToText(-number);
  if (std::isinf(number)) return u"Infinity";
  // The shortest digits that read back as the same number: "d.ddde+x".
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::scientific).ptr;
  const std::string_view scientific(buffer, static_cast<size_t>(end - buffer));
  const size_t e = scientific.find('e');
  std::string digits(scientific.substr(0, e));
  if (digits.size() > 1) digits.erase(1, 1);  // the point
  int exponent = 0;
  std::from_chars(scientific.data() + e + (scientific[e + 1] == '+' ? 2 : 1), scientific.data() + scientific.size(),
                  exponent);
  // ECMAScript's Number::toString: the value is 0.digits times 10^n.
  const int k = static_cast<int>(digits.size());
  const int n = exponent + 1;
  std::string text;
  if (k <= n && n <= 21) {
    text = digits + std::string(static_cast<size_t>(n - k), '0');
  } else if (0 < n && n <= 21) {
    text = digits.substr(0, static_cast<size_t>(n)) + "." + digits.substr(static_cast<size_t>(n));
  } else if (-6 < n && n <= 0) {
    text = "0." + std::string(static_cast<size_t>(-n), '0') + digits;
  } else {
    text = digits.substr(0, 1);
    if (k > 1) text += "." + digits.substr(1);
    text += (n - 1 < 0 ? "e-" : "e+") + std::to_string(std::abs(n - 1));
  }
  return FromAscii(text);
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
