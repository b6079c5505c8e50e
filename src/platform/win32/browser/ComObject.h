// The reference count every COM object of the browser host shares: one
// AddRef per holder, deleted by its last Release, and counted while it
// lives so that a test can see every object gone once a browser is closed.
#pragma once

#include <windows.h>

#include <atomic>

namespace lumora {

class TComObject {
 public:
  // How many of the browser host's COM objects exist in the process.
  static long LiveCount() { return FLiveCount.load(); }

 protected:
  TComObject() { ++FLiveCount; }
  virtual ~TComObject() { --FLiveCount; }
  TComObject(const TComObject&) = delete;
  TComObject& operator=(const TComObject&) = delete;

  ULONG AddRefObject() { return ++FRefCount; }
  ULONG ReleaseObject() {
    const ULONG count = --FRefCount;
    if (count == 0) delete this;
    return count;
  }

 private:
  static inline std::atomic<long> FLiveCount{0};
  // Starts at one: the reference the creator takes over.
  std::atomic<ULONG> FRefCount{1};
};

// The IUnknown reference counting of a class derived from TComObject and
// from one or more interfaces.
#define LUMORA_COM_REFCOUNT                                         \
  STDMETHODIMP_(ULONG) AddRef() override { return AddRefObject(); } \
  STDMETHODIMP_(ULONG) Release() override { return ReleaseObject(); }

// Answers QueryInterface with pointer (an interface of this object) and
// takes a reference for the caller.
template <typename TInterface>
HRESULT HandOut(TInterface* pointer, void** ppv) {
  *ppv = pointer;
  pointer->AddRef();
  return S_OK;
}

}  // namespace lumora
