// The browser component's own dispatch interface, which GetExternal hands
// to pages as window.external. It answers the control's ambient-property
// requests itself; names and every other call go to the host's
// OnGetIDsOfNames and OnInvoke (the script bridge).
//
// It is an IDispatchEx too, so that a script engine hands each call the
// caller's service provider: that names the calling window, whose
// document decides whether the call may reach the program.
#pragma once

#include <dispex.h>
#include <oaidl.h>

#include "platform/win32/browser/ComObject.h"
#include "os/win32/ComPtr.h"

namespace lumora {

struct TBrowserHostEvents;

// IDispatchEx's identifier, which MinGW's uuid library lacks.
inline constexpr IID kIidDispatchEx = {0xa6ef9860, 0xc720, 0x11d0, {0x93, 0x37, 0x00, 0xa0, 0xc9, 0x0d, 0xca, 0xa9}};

class TExternalDispatch final : public TComObject, public IDispatchEx {
 public:
  static TComPtr<TExternalDispatch> Create(TBrowserHostEvents& events);
  // Cuts the object off its events: every name is unknown from then on.
  void Detach() { FEvents = nullptr; }

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  LUMORA_COM_REFCOUNT

  STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override;
  // The first name only decides: its identifier, else E_NOTIMPL. Further
  // names (named arguments) are not looked at and stay DISPID_UNKNOWN.
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override;
  // A call without a named caller: InvokeEx with none.
  STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                      VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

  // IDispatchEx: the same lookup; a call with its caller. A method call
  // and a property read both run the function. An error the function
  // raised reaches the script as DISP_E_EXCEPTION (wCode 9999, the error's
  // class name as source, its message as description).
  STDMETHODIMP GetDispID(BSTR bstrName, DWORD grfdex, DISPID* pid) override;
  STDMETHODIMP InvokeEx(DISPID id, LCID lcid, WORD wFlags, DISPPARAMS* pdp, VARIANT* pvarRes, EXCEPINFO* pei,
                        IServiceProvider* pspCaller) override;
  STDMETHODIMP DeleteMemberByName(BSTR, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP DeleteMemberByDispID(DISPID) override { return E_NOTIMPL; }
  STDMETHODIMP GetMemberProperties(DISPID, DWORD, DWORD* pgrfdex) override;
  STDMETHODIMP GetMemberName(DISPID, BSTR* pbstrName) override;
  STDMETHODIMP GetNextDispID(DWORD, DISPID, DISPID* pid) override;
  STDMETHODIMP GetNameSpaceParent(IUnknown** ppunk) override;

 private:
  explicit TExternalDispatch(TBrowserHostEvents& events) : FEvents(&events) {}
  ~TExternalDispatch() override = default;

  // The identifier of name, or -1.
  int32_t IdOf(const wchar_t* name) const;

  TBrowserHostEvents* FEvents;
};

}  // namespace lumora
