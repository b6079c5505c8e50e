// The class factory the URL layer asks for a protocol handler per request.
#pragma once

#include <urlmon.h>

#include <atomic>
#include <memory>

#include "core/protocol/EntryCache.h"
#include "os/win32/ComPtr.h"

namespace lumora {

class TInternetProtocolHandlerFactory final : public IClassFactory {
 public:
  // A new factory holding one reference, which the caller takes over. Its
  // handlers share cache (none: they keep nothing).
  static TComPtr<IClassFactory> Create(std::shared_ptr<TEntryCache> cache = nullptr);

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
  explicit TInternetProtocolHandlerFactory(std::shared_ptr<TEntryCache> cache) : FCache(std::move(cache)) {}
  ~TInternetProtocolHandlerFactory() = default;

  std::atomic<ULONG> FRefCount{1};
  std::shared_ptr<TEntryCache> FCache;
};

}  // namespace lumora
