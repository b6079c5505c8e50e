#include "platform/win32/browser/Variant.h"

#include <cmath>
#include <cstdint>

#include "os/win32/WideString.h"

namespace lumora {

BSTR NewBstr(StringView text) {
  return ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
}

TBstr::TBstr(StringView text) : FValue(NewBstr(text)) {}

BSTR* TBstr::Receive() {
  ::SysFreeString(FValue);
  FValue = nullptr;
  return &FValue;
}

String TBstr::Text() const { return FValue ? FromWide(FValue, ::SysStringLen(FValue)) : String(); }

const VARIANT& Dereferenced(const VARIANT& value) {
  if (value.vt == (VT_BYREF | VT_VARIANT) && value.pvarVal) return *value.pvarVal;
  return value;
}

namespace {

// The value changed to type, or false when it cannot be.
bool ChangeType(const VARIANT& value, VARTYPE type, TVariant& result) {
  return SUCCEEDED(::VariantChangeType(result.Get(), const_cast<VARIANT*>(&value), 0, type));
}

bool IsNumber(VARTYPE type) {
  switch (type) {
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_INT:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_UINT:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DECIMAL:
      return true;
    default:
      return false;
  }
}

}  // namespace

String VariantText(const VARIANT& argument) {
  const VARIANT& value = Dereferenced(argument);
  if (value.vt == VT_BSTR) return value.bstrVal ? FromWide(value.bstrVal, ::SysStringLen(value.bstrVal)) : String();
  if (value.vt == (VT_BYREF | VT_BSTR) && value.pbstrVal && *value.pbstrVal) {
    return FromWide(*value.pbstrVal, ::SysStringLen(*value.pbstrVal));
  }
  TVariant text;
  if (!ChangeType(value, VT_BSTR, text)) return {};
  return VariantText(*text);
}

long VariantLong(const VARIANT& argument) {
  TVariant number;
  if (!ChangeType(Dereferenced(argument), VT_I4, number)) return 0;
  return (*number).lVal;
}

bool VariantBool(const VARIANT& argument) {
  TVariant flag;
  if (!ChangeType(Dereferenced(argument), VT_BOOL, flag)) return false;
  return (*flag).boolVal != VARIANT_FALSE;
}

TJsValue JsValueOf(const VARIANT& argument) {
  // A by-reference argument (VBScript passes variables so) is read through
  // its reference, whatever its type.
  TVariant direct;
  if (FAILED(::VariantCopyInd(direct.Get(), const_cast<VARIANT*>(&argument)))) return TJsValue();
  const VARIANT& value = *direct;
  if (value.vt == VT_BSTR) {
    return TJsValue::Text(value.bstrVal ? FromWide(value.bstrVal, ::SysStringLen(value.bstrVal)) : String());
  }
  if (value.vt == VT_BOOL) return TJsValue::Boolean(value.boolVal != VARIANT_FALSE);
  if (IsNumber(value.vt)) {
    TVariant number;
    if (ChangeType(value, VT_R8, number)) return TJsValue::Number((*number).dblVal);
  }
  if (value.vt == VT_DISPATCH || value.vt == VT_UNKNOWN) {
    // An object counts as its text, as the script's String(object) gives
    // it: the object's default value asked for through the type change.
    TVariant text;
    if (value.punkVal && ChangeType(value, VT_BSTR, text) && (*text).vt == VT_BSTR) {
      return TJsValue::Text(VariantText(*text));
    }
  }
  return TJsValue();  // empty, null, anything else: undefined
}

void SetVariant(const TJsValue& value, VARIANT& target) {
  ::VariantClear(&target);
  switch (value.Kind()) {
    case TJsValue::TKind::Undefined:
      break;
    case TJsValue::TKind::Number: {
      const double number = value.AsNumber();
      if (std::trunc(number) == number && number >= INT32_MIN && number <= INT32_MAX) {
        target.vt = VT_I4;
        target.lVal = static_cast<LONG>(number);
      } else {
        target.vt = VT_R8;
        target.dblVal = number;
      }
      break;
    }
    case TJsValue::TKind::Text:
      target.vt = VT_BSTR;
      target.bstrVal = NewBstr(value.AsString());
      break;
    case TJsValue::TKind::Boolean:
      target.vt = VT_BOOL;
      target.boolVal = value.AsBoolean() ? VARIANT_TRUE : VARIANT_FALSE;
      break;
  }
}

TScriptValue ScriptValueOf(const VARIANT& argument) {
  const VARIANT& value = Dereferenced(argument);
  if (value.vt == VT_EMPTY) return {};
  if (value.vt == VT_NULL) return TScriptValue::Null();
  if (value.vt == VT_BOOL) return TScriptValue::Boolean(value.boolVal != VARIANT_FALSE);
  if (IsNumber(value.vt)) {
    TVariant number;
    if (ChangeType(value, VT_R8, number)) return TScriptValue::Number((*number).dblVal);
  }
  return TScriptValue::Text(VariantText(value));
}

}  // namespace lumora
