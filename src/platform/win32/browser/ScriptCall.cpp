#include "platform/win32/browser/ScriptCall.h"

#include <vector>

#include "os/win32/WideString.h"
#include "platform/win32/browser/Variant.h"

namespace lumora {

namespace {

// The EXCEPINFO's strings, freed with it.
struct TExceptionInfo {
  EXCEPINFO Info{};
  ~TExceptionInfo() {
    ::SysFreeString(Info.bstrSource);
    ::SysFreeString(Info.bstrDescription);
    ::SysFreeString(Info.bstrHelpFile);
  }
  String Text(BSTR text) const { return text ? FromWide(text, ::SysStringLen(text)) : String(); }
};

}  // namespace

TScriptCall CallScriptFunction(IDispatch& script, const String& name, std::initializer_list<int> arguments) {
  std::wstring wideName = Wide(name);
  LPOLESTR names[] = {wideName.data()};
  DISPID id = DISPID_UNKNOWN;
  if (FAILED(script.GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return TScriptCall::Missing();

  // The call's arguments go last first.
  std::vector<VARIANT> values(arguments.size());
  size_t slot = values.size();
  for (const int argument : arguments) {
    VARIANT& value = values[--slot];
    ::VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = argument;
  }
  DISPPARAMS parameters{values.data(), nullptr, static_cast<UINT>(values.size()), 0};
  TVariant result;
  TExceptionInfo error;
  UINT argumentError = 0;
  const HRESULT outcome = script.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, result.Get(),
                                        &error.Info, &argumentError);
  if (FAILED(outcome)) {
    if (outcome == DISP_E_EXCEPTION && error.Info.pfnDeferredFillIn) error.Info.pfnDeferredFillIn(&error.Info);
    return TScriptCall::Failed(error.Text(error.Info.bstrDescription), error.Text(error.Info.bstrSource));
  }
  return TScriptCall::Returned(ScriptValueOf(*result));
}

}  // namespace lumora
