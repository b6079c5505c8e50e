#include "platform/win32/browser/RequestInitiator.h"

#include <objbase.h>
#include <servprov.h>

#include <memory>

#include "os/win32/ComPtr.h"
#include "os/win32/WideString.h"

namespace lumora {

namespace {

TComPtr<IHttpNegotiate> NegotiatorOf(IUnknown* object) {
  TComPtr<IHttpNegotiate> negotiator;
  if (!object) return negotiator;
  TComPtr<IServiceProvider> services;
  if (SUCCEEDED(object->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(services.Receive()))) &&
      services &&
      SUCCEEDED(services->QueryService(IID_IHttpNegotiate, IID_IHttpNegotiate,
                                       reinterpret_cast<void**>(negotiator.Receive()))) &&
      negotiator) {
    return negotiator;
  }
  negotiator.Reset();
  object->QueryInterface(IID_IHttpNegotiate, reinterpret_cast<void**>(negotiator.Receive()));
  return negotiator;
}

struct TTaskMemFree {
  void operator()(wchar_t* text) const { ::CoTaskMemFree(text); }
};

}  // namespace

TRequestInitiator InitiatorOf(LPCWSTR url, IInternetProtocolSink* sink, IInternetBindInfo* bindInfo) {
  TComPtr<IHttpNegotiate> negotiator = NegotiatorOf(sink);
  if (!negotiator) negotiator = NegotiatorOf(bindInfo);
  if (!negotiator) return {};
  LPWSTR added = nullptr;
  const HRESULT result = negotiator->BeginningTransaction(url, L"", 0, &added);
  const std::unique_ptr<wchar_t, TTaskMemFree> headers(added);
  if (FAILED(result) || !headers) return {};
  return InitiatorFromHeaders(FromWide(headers.get()));
}

}  // namespace lumora
