// The browser host's sink of the control's DWebBrowserEvents2: turns each
// event's DISPPARAMS (arguments last first) into a call of the host's
// TBrowserHostEvents and writes the out-arguments (Cancel, ppDisp) back.
#pragma once

#include <oaidl.h>

#include "platform/win32/browser/DispatchObject.h"
#include "os/win32/ComPtr.h"

namespace lumora {

struct TBrowserHostEvents;

class TBrowserEventSink final : public TDispatchObject {
 public:
  static TComPtr<TBrowserEventSink> Create(TBrowserHostEvents& events);
  // Cuts the sink off its events: later calls do nothing.
  void Detach() {
    FEvents = nullptr;
    FTopBrowser = nullptr;
  }
  // The host's own browser, whose navigations are the top window's: its
  // COM identity, held without a reference (the host outlives it, and
  // Detach forgets it).
  void SetTopBrowser(IUnknown* browser) { FTopBrowser = browser; }

  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override;
  // Events the host does not handle, or with arguments of another shape,
  // are answered S_OK and ignored, as a sink must.
  STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                      VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

 private:
  explicit TBrowserEventSink(TBrowserHostEvents& events);
  ~TBrowserEventSink() override = default;

  // Whether browser (an event's pDisp) is the top browser.
  bool IsTopBrowser(const VARIANT& browser) const;

  TBrowserHostEvents* FEvents;
  IUnknown* FTopBrowser = nullptr;
};

}  // namespace lumora
