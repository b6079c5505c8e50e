// The part every IDispatch object of the browser host shares: it answers
// for IUnknown, IDispatch and one more interface identifier (an event
// interface it implements through IDispatch), and it has no type library.
#pragma once

#include <oaidl.h>

#include "platform/win32/browser/ComObject.h"

namespace lumora {

class TDispatchObject : public TComObject, public IDispatch {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, FAlsoAnswers)) {
      return HandOut(static_cast<IDispatch*>(this), ppv);
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  LUMORA_COM_REFCOUNT

  STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override {
    if (!pctinfo) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override {
    if (ppTInfo) *ppTInfo = nullptr;
    return E_NOTIMPL;
  }

 protected:
  explicit TDispatchObject(REFIID alsoAnswers = IID_IDispatch) : FAlsoAnswers(alsoAnswers) {}

 private:
  const IID FAlsoAnswers;
};

}  // namespace lumora
