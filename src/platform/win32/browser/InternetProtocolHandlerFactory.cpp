#include "platform/win32/browser/InternetProtocolHandlerFactory.h"

#include "platform/win32/browser/InternetProtocolHandler.h"

namespace lumora {

TComPtr<IClassFactory> TInternetProtocolHandlerFactory::Create(std::shared_ptr<TEntryCache> cache) {
  // A COM object owns itself; its last Release deletes it.
  return TComPtr<IClassFactory>::Adopt(new TInternetProtocolHandlerFactory(std::move(cache)));
}

STDMETHODIMP TInternetProtocolHandlerFactory::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) TInternetProtocolHandlerFactory::AddRef() { return ++FRefCount; }

STDMETHODIMP_(ULONG) TInternetProtocolHandlerFactory::Release() {
  const ULONG count = --FRefCount;
  if (count == 0) delete this;
  return count;
}

STDMETHODIMP TInternetProtocolHandlerFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  // A handler cannot be an aggregate's inner object. Handing out a plain one
  // to a caller that asked for an inner IUnknown would leave that caller
  // counting references on the wrong object (urlmon then leaks the handler
  // of every failed request); refused, the caller asks again without outer.
  if (pUnkOuter) return CLASS_E_NOAGGREGATION;
  if (!IsEqualIID(riid, IID_IInternetProtocol) && !IsEqualIID(riid, IID_IUnknown)) return E_NOINTERFACE;
  const TComPtr<IInternetProtocol> handler = TInternetProtocolHandler::Create(FCache);
  // The interface asked for, with its own reference; the creation reference
  // goes with `handler`.
  return handler->QueryInterface(riid, ppv);
}

STDMETHODIMP TInternetProtocolHandlerFactory::LockServer(BOOL fLock) {
  if (fLock) {
    AddRef();
  } else {
    Release();
  }
  return S_OK;
}

}  // namespace lumora
