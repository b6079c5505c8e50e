// The URL layer's handler of one request for a registered scheme: Start
// refuses a request made by a page of another scheme (its Referer or
// Origin, as the bind's negotiator adds them), else takes the core's
// answer (core/protocol/ProtocolAnswer.h, made on the user-interface
// thread) to the request's Range, with the entry cache its factory shares,
// tells the negotiator its status and headers (206 and Content-Range for a
// range), reports its content type and announces it as fully available;
// Read hands out its bytes; the last of Terminate and UnlockRequest frees
// it.
#pragma once

#include <urlmon.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "base/Stream.h"
#include "core/protocol/EntryCache.h"
#include "os/win32/ComPtr.h"

namespace lumora {

class TInternetProtocolHandler final : public IInternetProtocol {
 public:
  // A new handler holding one reference, which the caller takes over; it
  // keeps the entries ranges are asked of in cache, when there is one.
  static TComPtr<IInternetProtocol> Create(std::shared_ptr<TEntryCache> cache = nullptr);

  // How many handlers exist in the process: every one the URL layer made
  // must be gone once it has released them all.
  static long LiveCount() { return FLiveCount.load(); }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IInternetProtocolRoot
  STDMETHODIMP Start(LPCWSTR szUrl, IInternetProtocolSink* OIProtSink, IInternetBindInfo* OIBindInfo, DWORD grfPI,
                     HANDLE_PTR dwReserved) override;
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
  explicit TInternetProtocolHandler(std::shared_ptr<TEntryCache> cache);
  ~TInternetProtocolHandler();

  // Frees the answer and lets the sink go.
  void ReleaseData();

  static std::atomic<long> FLiveCount;

  std::atomic<ULONG> FRefCount{1};
  TComPtr<IInternetProtocolSink> ProtSink;
  std::shared_ptr<TEntryCache> Cache;
  std::shared_ptr<TStream> Stream;
  // Where the bytes to send start in Stream; StreamPosition counts from there.
  uint64_t StreamOffset = 0;
  int32_t StreamPosition = 0;
  int32_t StreamSize = 0;
  int32_t LockCount = 0;
};

}  // namespace lumora
