// The class factory the URL layer asks for a protocol handler per request.
#pragma once

#include <urlmon.h>

#include <atomic>

#include "os/win32/ComPtr.h"

namespace lumora {

class TInternetProtocolHandlerFactory final : public IClassFactory {
 public:
  // A new factory holding one reference, which the caller takes over.
  static TComPtr<IClassFactory> Create();

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IClassFactory. CreateInstance gives a new handler for IInternetProtocol
  // or IUnknown and E_NOINTERFACE for anything else; an outer object is
  // refused with CLASS_E_NOAGGREGATION, as COM asks of objects that cannot
  // be aggregated.
  STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override;
  STDMETHODIMP LockServer(BOOL fLock) override;

 private:
  TInternetProtocolHandlerFactory() = default;
  ~TInternetProtocolHandlerFactory() = default;

  std::atomic<ULONG> FRefCount{1};
};

}  // namespace lumora
