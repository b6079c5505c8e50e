// A value a page's script function returned, reduced to the kinds the host
// compares: nothing (undefined), null, a Boolean, a number or a text.
// Objects and arrays come back as their text.
#pragma once

#include "base/String.h"

namespace lumora {

struct TScriptValue {
  enum class TKind { Empty, Null, Boolean, Number, Text };
  TKind Kind = TKind::Empty;
  bool BooleanValue = false;
  double NumberValue = 0;
  String TextValue;

  static TScriptValue Null() { return {TKind::Null, false, 0, {}}; }
  static TScriptValue Boolean(bool value) { return {TKind::Boolean, value, 0, {}}; }
  static TScriptValue Number(double value) { return {TKind::Number, false, value, {}}; }
  static TScriptValue Text(String value) { return {TKind::Text, false, 0, std::move(value)}; }
};

// Compares value with number the way a variant compares with an integer: a
// Boolean counts as -1 when true and 0 when false, an empty value as 0, a
// null equals no number, a text is converted to a number first. Raises
// Exception ("Could not convert variant of type (String) into type
// (Double)") for a text that is no number.
bool ScriptValueEquals(const TScriptValue& value, int number);

}  // namespace lumora
