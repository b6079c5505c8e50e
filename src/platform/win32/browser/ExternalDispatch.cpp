#include "platform/win32/browser/ExternalDispatch.h"

#include <vector>

#include "core/bridge/BrowserJs.h"
#include "os/win32/WideString.h"
#include "platform/win32/browser/BrowserHostEvents.h"
#include "platform/win32/browser/Variant.h"

namespace lumora {

TComPtr<TExternalDispatch> TExternalDispatch::Create(TBrowserHostEvents& events) {
  return TComPtr<TExternalDispatch>::Adopt(new TExternalDispatch(events));
}

STDMETHODIMP TExternalDispatch::GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId) {
  if (!rgszNames || !rgDispId || cNames == 0) return E_INVALIDARG;
  for (UINT i = 0; i < cNames; ++i) rgDispId[i] = DISPID_UNKNOWN;
  int32_t id = -1;
  if (FEvents && FEvents->OnGetIDsOfNames && rgszNames[0]) {
    auto handler = FEvents->OnGetIDsOfNames;
    id = handler(FromWide(rgszNames[0]));
  }
  if (id < 0) return DISP_E_UNKNOWNNAME;
  rgDispId[0] = id;
  // The functions take no named arguments.
  return cNames == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

STDMETHODIMP TExternalDispatch::Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS* pDispParams,
                                       VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT*) {
  if (!FEvents || !FEvents->OnInvoke) return DISP_E_MEMBERNOTFOUND;
  const TComPtr<TExternalDispatch> self(this);
  std::vector<TJsValue> params;
  if (pDispParams) {
    params.reserve(pDispParams->cArgs);
    for (UINT i = 0; i < pDispParams->cArgs; ++i) params.push_back(JsValueOf(pDispParams->rgvarg[i]));
  }
  TJsValue result;
  TJsError error;
  auto handler = FEvents->OnInvoke;
  if (!handler(dispIdMember, params, result, error)) {
    if (pExcepInfo) {
      *pExcepInfo = EXCEPINFO{};
      pExcepInfo->scode = E_FAIL;
      pExcepInfo->bstrSource = NewBstr(error.Source);
      pExcepInfo->bstrDescription = NewBstr(error.Message);
    }
    return DISP_E_EXCEPTION;
  }
  if (pVarResult) SetVariant(result, *pVarResult);
  return S_OK;
}

}  // namespace lumora
