#include "core/browser/ScriptValue.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

#include "base/Exception.h"

namespace lumora {

namespace {

// A text as a variant turns it into a number: blanks around it allowed, a
// decimal or "$"-prefixed hexadecimal number, nothing else.
bool TextToNumber(const String& text, double& number) {
  std::string ascii;
  for (char16_t c : text) {
    if (c > 0x7F) return false;
    ascii += static_cast<char>(c);
  }
  const size_t first = ascii.find_first_not_of(" \t");
  if (first == std::string::npos) return false;
  const size_t last = ascii.find_last_not_of(" \t");
  ascii = ascii.substr(first, last - first + 1);
  if (ascii[0] == '$') {
    if (ascii.size() == 1 || ascii.size() > 17) return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(ascii.c_str() + 1, &end, 16);
    if (*end != '\0' || errno != 0) return false;
    number = static_cast<double>(value);
    return true;
  }
  // strtod would also take "inf", "nan" and C hexadecimal; a variant does not.
  for (char c : ascii) {
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) return false;
  }
  char* end = nullptr;
  number = std::strtod(ascii.c_str(), &end);
  return *end == '\0' && std::isfinite(number);
}

}  // namespace

bool ScriptValueEquals(const TScriptValue& value, int number) {
  switch (value.Kind) {
    case TScriptValue::TKind::Empty:
      return number == 0;
    case TScriptValue::TKind::Null:
      return false;
    case TScriptValue::TKind::Boolean:
      return (value.BooleanValue ? -1 : 0) == number;
    case TScriptValue::TKind::Number:
      return value.NumberValue == number;
    case TScriptValue::TKind::Text: {
      double converted = 0;
      if (!TextToNumber(value.TextValue, converted)) {
        throw Exception(u"Could not convert variant of type (String) into type (Double)");
      }
      return converted == number;
    }
  }
  return false;
}

TScriptValue ScriptCallValue(const TScriptCall& call) {
  switch (call.Outcome) {
    case TScriptCall::TOutcome::Missing:
      throw Exception(u"This object does not support this method");
    case TScriptCall::TOutcome::Failed:
      throw Exception(u"Method call unsuccessful. " + call.Description + u" (" + call.Source + u").");
    case TScriptCall::TOutcome::Returned:
      break;
  }
  return call.Value;
}

}  // namespace lumora
