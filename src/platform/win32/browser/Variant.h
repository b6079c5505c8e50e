// Owning holders for the OLE automation types the browser host trades in,
// and the conversions between a VARIANT and the system's script values.
#pragma once

#include <oaidl.h>
#include <oleauto.h>

#include "base/String.h"
#include "core/bridge/JsValue.h"
#include "core/browser/ScriptValue.h"

namespace lumora {

// A VARIANT cleared when it goes.
class TVariant {
 public:
  TVariant() { ::VariantInit(&FValue); }
  ~TVariant() { ::VariantClear(&FValue); }
  TVariant(const TVariant&) = delete;
  TVariant& operator=(const TVariant&) = delete;

  VARIANT* Get() { return &FValue; }
  const VARIANT& operator*() const { return FValue; }

 private:
  VARIANT FValue;
};

// A new BSTR holding text, for a caller who frees it.
BSTR NewBstr(StringView text);

// A BSTR freed when it goes.
class TBstr {
 public:
  explicit TBstr(StringView text);
  TBstr() = default;
  ~TBstr() { ::SysFreeString(FValue); }
  TBstr(const TBstr&) = delete;
  TBstr& operator=(const TBstr&) = delete;

  BSTR Get() const { return FValue; }
  // For out-parameters: frees what is held and gives the slot.
  BSTR* Receive();
  String Text() const;

 private:
  BSTR FValue = nullptr;
};

// The value a VARIANT argument holds, looking through VT_BYREF|VT_VARIANT.
const VARIANT& Dereferenced(const VARIANT& value);

// A VARIANT argument as a text (a BSTR as it is, anything else converted;
// the empty text when it cannot be).
String VariantText(const VARIANT& value);
// A VARIANT argument as a number (0 when it is none) and as a Boolean.
long VariantLong(const VARIANT& value);
bool VariantBool(const VARIANT& value);

// A script's argument as the bridge takes it, read by its type (text only
// from a BSTR): a string, a Boolean, a number (every numeric type), an
// object as its text (its default value); a by-reference argument through
// its reference; empty, null and anything else as undefined.
TJsValue JsValueOf(const VARIANT& value);
// A bridge result for the script: undefined as VT_EMPTY, a number as VT_I4
// when it is a whole 32-bit value (else VT_R8), a text as a BSTR, a Boolean
// as VT_BOOL. target is cleared first.
void SetVariant(const TJsValue& value, VARIANT& target);

// A page function's return value: nothing, null, a Boolean, a number, a
// text; objects as their text.
TScriptValue ScriptValueOf(const VARIANT& value);

}  // namespace lumora
