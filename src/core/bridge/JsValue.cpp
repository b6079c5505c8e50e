#include "core/bridge/JsValue.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace lumora {
namespace {

// The low 16 bits of an integer, read as a signed number.
int16_t Low16(int64_t value) { return static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF)); }

// The number that digits (d.ddd without its point) times 10^exponent reads
// as, correctly rounded.
double ReadDecimal(const std::string& digits, int exponent) {
  std::string text = digits.substr(0, 1);
  if (digits.size() > 1) text += "." + digits.substr(1);
  text += "e" + std::to_string(exponent);
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// Moves digits one unit of their last place up or down: "199" up is "200",
// "100" down is "999" with the exponent one less, so the count stays.
void StepLastDigit(std::string& digits, int& exponent, bool up) {
  for (size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != (up ? '9' : '0')) {
      digits[i] = static_cast<char>(digits[i] + (up ? 1 : -1));
      break;
    }
    digits[i] = up ? '0' : '9';
  }
  if (digits[0] == '0') {
    if (up) {
      digits[0] = '1';
      ++exponent;
    } else {
      digits.assign(digits.size(), '9');
      --exponent;
    }
  }
}

// The shortest digits that read back as number (positive, finite), and
// among those the nearest: d.ddd times 10^exponent, the point left out.
// For each count of digits only the two that enclose the number can read
// back as it: the correctly rounded one, and where that reads as a
// neighbour (the span that reads as a number is lopsided at a power of
// two), the one on the number's other side. std::to_chars finds the same
// digits but brings a large formatter for every floating-point type.
void ShortestDigits(double number, std::string& digits, int& exponent) {
  char buffer[32];
  for (int precision = 0;; ++precision) {
    const int length = std::snprintf(buffer, sizeof buffer, "%.*e", precision, number);
    const std::string_view scientific(buffer, static_cast<size_t>(length));
    const size_t e = scientific.find('e');
    digits.assign(scientific.substr(0, e));
    if (digits.size() > 1) digits.erase(1, 1);  // the point
    const char* sign = scientific.data() + e + 1;
    std::from_chars(sign + (*sign == '+' ? 1 : 0), scientific.data() + scientific.size(), exponent);
    const double nearest = ReadDecimal(digits, exponent);
    // Seventeen digits always read back.
    if (nearest == number || precision >= 16) return;
    std::string other = digits;
    int otherExponent = exponent;
    StepLastDigit(other, otherExponent, nearest < number);
    if (ReadDecimal(other, otherExponent) == number) {
      digits = std::move(other);
      exponent = otherExponent;
      return;
    }
  }
}

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
  std::string digits;
  int exponent = 0;
  ShortestDigits(number, digits, exponent);
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
