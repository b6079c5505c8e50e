// The URL layer's handler of one request for a registered scheme: Start
// refuses a request made by a page of another scheme (its Referer or
// Origin, as the bind's negotiator adds them), else takes the core's answer (core/protocol/ProtocolAnswer.h, made on the
// user-interface thread), reports its content type and announces it as
// fully available; Read hands it out; the last of Terminate and
// UnlockRequest frees it.
#pragma once

#include <urlmon.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "base/Stream.h"
#include "os/win32/ComPtr.h"

namespace lumora {

class TInternetProtocolHandler final : public IInternetProtocol {
 public:
  // A new handler holding one reference, which the caller takes over.
  static TComPtr<IInternetProtocol> Create();

  // How many handlers exist in the process: every one the URL layer made
  // must be gone once it has released them all.
  static long LiveCount() { return FLiveCount.load(); }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IInternetProtocolRoot
  STDMETHODIMP Start(LPCWSTR szUrl, IInternetProtocolSink* OIProtSink, IInternetBindInfo* OIBindInfo,
                     DWORD grfPI, HANDLE_PTR dwReserved) override;
  STDMETHODIMP Continue(PROTOCOLDATA* ProtocolData) override;
  STDMETHODIMP Abort(HRESULT hrReason, DWORD dwOptions) override;
  STDMETHODIMP Terminate(DWORD dwOptions) override;
  STDMETHODIMP Suspend() override;
  STDMETHODIMP Resume() override;

  // IInternetProtocol
  STDMETHODIMP Read(void* pv, ULONG cb, ULONG* pcbRead) override;
  STDMETHODIMP Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) override;
  STDMETHODIMP LockRequest(DWORD dwOptions) override;
  STDMETHODIMP UnlockRequest() override;

 private:
  TInternetProtocolHandler();
  ~TInternetProtocolHandler();

  // Frees the answer and lets the sink go.
  void ReleaseData();

  static std::atomic<long> FLiveCount;

  std::atomic<ULONG> FRefCount{1};
  TComPtr<IInternetProtocolSink> ProtSink;
  std::shared_ptr<TStream> Stream;
  int32_t StreamPosition = 0;
  int32_t StreamSize = 0;
  int32_t LockCount = 0;
};

}  // namespace lumora
