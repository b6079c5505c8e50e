// The browser component's own dispatch interface, which GetExternal hands
// to pages as window.external: names and calls go to the host's
// OnGetIDsOfNames and OnInvoke (the script bridge).
#pragma once

#include <oaidl.h>

#include "platform/win32/browser/DispatchObject.h"
#include "os/win32/ComPtr.h"

namespace lumora {

struct TBrowserHostEvents;

class TExternalDispatch final : public TDispatchObject {
 public:
  static TComPtr<TExternalDispatch> Create(TBrowserHostEvents& events);
  // Cuts the object off its events: every name is unknown from then on.
  void Detach() { FEvents = nullptr; }

  // One name, the function's: its identifier, or DISP_E_UNKNOWNNAME.
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override;
  // A call of a function found by name. An error the function raised
  // reaches the script as DISP_E_EXCEPTION with its source and message.
  STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                      VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

 private:
  explicit TExternalDispatch(TBrowserHostEvents& events) : FEvents(&events) {}
  ~TExternalDispatch() override = default;

  TBrowserHostEvents* FEvents;
};

}  // namespace lumora
