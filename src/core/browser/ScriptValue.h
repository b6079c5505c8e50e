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

// How a browser's call of a page's function ended.
struct TScriptCall {
  enum class TOutcome { Returned, Missing, Failed };
  TOutcome Outcome = TOutcome::Returned;
  TScriptValue Value;  // Returned: the function's value
  // Failed: the script error's own description and source (empty when the
  // engine gave none).
  String Description, Source;

  static TScriptCall Returned(TScriptValue value) { return {TOutcome::Returned, std::move(value), {}, {}}; }
  static TScriptCall Missing() { return {TOutcome::Missing, {}, {}, {}}; }
  static TScriptCall Failed(String description, String source) {
    return {TOutcome::Failed, {}, std::move(description), std::move(source)};
  }
};

// The value of call, or its error as the browser component raises it:
// Exception "This object does not support this method" when the page has
// no such function, "Method call unsuccessful. <description> (<source>)."
// when the call failed.
TScriptValue ScriptCallValue(const TScriptCall& call);

}  // namespace lumora
