// A script value as it crosses the script bridge: undefined, a number, a
// string or a Boolean. Each platform's adapter turns its own script values
// (a VARIANT, a JavaScriptCore value) into these and back.
#pragma once

#include <cstdint>
#include <variant>

#include "base/String.h"

namespace lumora {

// A number as the script's String(number) writes it (ECMAScript's
// Number::toString): the shortest digits that read back as the same
// number, plainly from 1e-6 up to below 1e21 ("0.000001",
// "100000000000000000000"), with an exponent outside ("1e+21", "1e-7");
// "0" for -0, "NaN", "Infinity", "-Infinity".
String NumberToText(double number);

class TJsValue {
 public:
  enum class TKind { Undefined, Number, Text, Boolean };

  TJsValue() = default;  // undefined
  static TJsValue Number(double value) { return TJsValue(value); }
  static TJsValue Text(String value) { return TJsValue(std::move(value)); }
  static TJsValue Boolean(bool value) { return TJsValue(value); }

  TKind Kind() const { return static_cast<TKind>(FValue.index()); }
  bool IsUndefined() const { return Kind() == TKind::Undefined; }
  // The value held; each requires the matching kind.
  double AsNumber() const { return std::get<double>(FValue); }
  const String& AsString() const { return std::get<String>(FValue); }
  bool AsBoolean() const { return std::get<bool>(FValue); }

  // The value as a string argument: a string as it is, undefined as the
  // empty text, a Boolean as "true" or "false", a number as the script
  // writes it (NumberToText).
  String ToText() const;
  // The value as a 16-bit argument (an index, a flag), as the Windows
  // bridge reads a VARIANT's 16-bit field: a number truncated toward zero
  // and then taken by its low 16 bits, true as -1 (the script's true in a
  // VARIANT), false and undefined as 0, a string holding a decimal integer
  // as that number (else 0).
  int16_t ToInt16() const;

  bool operator==(const TJsValue&) const = default;

 private:
  using TValue = std::variant<std::monostate, double, String, bool>;
  explicit TJsValue(double value) : FValue(value) {}
  explicit TJsValue(String value) : FValue(std::move(value)) {}
  explicit TJsValue(bool value) : FValue(value) {}

  TValue FValue;
};

}  // namespace lumora
