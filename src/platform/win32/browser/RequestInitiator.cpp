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

TBindRequest BindRequestOf(LPCWSTR url, IInternetProtocolSink* sink, IInternetBindInfo* bindInfo) {
  TBindRequest request;
  request.Negotiator = NegotiatorOf(sink);
  if (!request.Negotiator) request.Negotiator = NegotiatorOf(bindInfo);
  if (!request.Negotiator) return request;
  LPWSTR added = nullptr;
  const HRESULT result = request.Negotiator->BeginningTransaction(url, L"", 0, &added);
  const std::unique_ptr<wchar_t, TTaskMemFree> headers(added);
  if (SUCCEEDED(result) && headers) request.Headers = FromWide(headers.get());
  return request;
}

void TBindRequest::Respond(int status, const std::wstring& headers) const {
  if (!Negotiator) return;
  const wchar_t* reason = status == 206 ? L" Partial Content" : status == 416 ? L" Range Not Satisfiable" : L" OK";
  const std::wstring response = L"HTTP/1.1 " + std::to_wstring(status) + reason + L"\r\n" + headers + L"\r\n";
  LPWSTR asked = nullptr;
  Negotiator->OnResponse(static_cast<DWORD>(status), response.c_str(), nullptr, &asked);
  const std::unique_ptr<wchar_t, TTaskMemFree> unused(asked);
}

}  // namespace lumora
