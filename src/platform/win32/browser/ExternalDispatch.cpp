#include "platform/win32/browser/ExternalDispatch.h"

#include <vector>

#include "core/bridge/BrowserJs.h"
#include "os/win32/WideString.h"
#include "platform/win32/browser/AmbientProperties.h"
#include "platform/win32/browser/BrowserHostEvents.h"
#include "platform/win32/browser/CallerDocument.h"
#include "platform/win32/browser/Variant.h"

namespace lumora {

namespace {

// The code an error raised by a function of the bridge carries to the
// script.
constexpr WORD kBridgeErrorCode = 9999;

}  // namespace

TComPtr<TExternalDispatch> TExternalDispatch::Create(TBrowserHostEvents& events) {
  return TComPtr<TExternalDispatch>::Adopt(new TExternalDispatch(events));
}

STDMETHODIMP TExternalDispatch::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, kIidDispatchEx)) {
    return HandOut(static_cast<IDispatchEx*>(this), ppv);
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP TExternalDispatch::GetTypeInfoCount(UINT* pctinfo) {
  if (!pctinfo) return E_POINTER;
  *pctinfo = 0;
  return S_OK;
}

STDMETHODIMP TExternalDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) {
  if (ppTInfo) *ppTInfo = nullptr;
  return E_NOTIMPL;
}

int32_t TExternalDispatch::IdOf(const wchar_t* name) const {
  if (!name || !FEvents || !FEvents->OnGetIDsOfNames) return -1;
  // The handler may close the browser; keep this object alive meanwhile.
  auto handler = FEvents->OnGetIDsOfNames;
  return handler(FromWide(name));
}

STDMETHODIMP TExternalDispatch::GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID, DISPID* rgDispId) {
  HRESULT result = E_NOTIMPL;
  if (!rgszNames || !rgDispId || cNames == 0) return result;
  for (UINT i = 0; i < cNames; ++i) rgDispId[i] = DISPID_UNKNOWN;
  const int32_t id = IdOf(rgszNames[0]);
  if (id != -1) {
    rgDispId[0] = id;
    result = S_OK;
  }
  return result;
}

STDMETHODIMP TExternalDispatch::GetDispID(BSTR bstrName, DWORD, DISPID* pid) {
  if (!pid) return E_POINTER;
  *pid = DISPID_UNKNOWN;
  const int32_t id = IdOf(bstrName);
  if (id == -1) return DISP_E_UNKNOWNNAME;
  *pid = id;
  return S_OK;
}

STDMETHODIMP TExternalDispatch::Invoke(DISPID dispIdMember, REFIID, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                                       VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT*) {
  return InvokeEx(dispIdMember, lcid, wFlags, pDispParams, pVarResult, pExcepInfo, nullptr);
}

STDMETHODIMP TExternalDispatch::InvokeEx(DISPID id, LCID, WORD wFlags, DISPPARAMS* pdp, VARIANT* pvarRes,
                                         EXCEPINFO* pei, IServiceProvider* pspCaller) {
  if (ServeAmbientProperty(id, wFlags, pvarRes)) return S_OK;
  if (!FEvents || !FEvents->OnInvoke) return DISP_E_MEMBERNOTFOUND;
  const TComPtr<TExternalDispatch> self(this);
  // Copies: the handlers may close the browser (and so Detach this object)
  // while they run.
  const auto mayInvoke = FEvents->OnMayInvoke;
  const auto handler = FEvents->OnInvoke;
  // The caller is judged before any argument is read: reading an object
  // argument runs the page's own script, which a refused caller never gets
  // to start from here.
  const TExternalCaller caller = CallerOf(pspCaller);
  if (mayInvoke && !mayInvoke(caller)) return DISP_E_MEMBERNOTFOUND;
  // rgvarg holds the arguments last first; the bridge takes them so.
  std::vector<TJsValue> params;
  if (pdp) {
    params.reserve(pdp->cArgs);
    for (UINT i = 0; i < pdp->cArgs; ++i) params.push_back(JsValueOf(pdp->rgvarg[i]));
  }
  // That script may have closed the browser meanwhile: no one to call.
  if (!FEvents) return DISP_E_MEMBERNOTFOUND;
  TJsValue result;
  TJsError error;
  switch (handler(id, caller, params, result, error)) {
    case TExternalOutcome::Refused:
      return DISP_E_MEMBERNOTFOUND;
    case TExternalOutcome::Raised:
      if (pei) {
        *pei = EXCEPINFO{};
        pei->wCode = kBridgeErrorCode;
        pei->bstrSource = NewBstr(error.Source);
        pei->bstrDescription = NewBstr(error.Message);
      }
      return DISP_E_EXCEPTION;
    case TExternalOutcome::Done:
      break;
  }
  // Nothing to give back (no result, the wrong number of arguments): the
  // caller's variant stays as it was, and the script sees undefined.
  if (pvarRes && !result.IsUndefined()) SetVariant(result, *pvarRes);
  return S_OK;
}

STDMETHODIMP TExternalDispatch::GetMemberProperties(DISPID, DWORD, DWORD* pgrfdex) {
  if (pgrfdex) *pgrfdex = 0;
  return E_NOTIMPL;
}

STDMETHODIMP TExternalDispatch::GetMemberName(DISPID, BSTR* pbstrName) {
  if (pbstrName) *pbstrName = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP TExternalDispatch::GetNextDispID(DWORD, DISPID, DISPID* pid) {
  if (pid) *pid = DISPID_UNKNOWN;
  return S_FALSE;  // the functions are found by name only
}

STDMETHODIMP TExternalDispatch::GetNameSpaceParent(IUnknown** ppunk) {
  if (ppunk) *ppunk = nullptr;
  return E_NOTIMPL;
}

}  // namespace lumora
