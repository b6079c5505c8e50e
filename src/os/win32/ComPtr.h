// An owning reference to a COM interface: one AddRef taken or adopted, one
// Release when it goes.
#pragma once

#include <unknwn.h>

#include <utility>

namespace lumora {

template <typename T>
class TComPtr {
 public:
  TComPtr() = default;
  // Takes a reference of its own.
  explicit TComPtr(T* pointer) : FPointer(pointer) {
    if (FPointer) FPointer->AddRef();
  }
  TComPtr(const TComPtr& other) : TComPtr(other.FPointer) {}
  TComPtr(TComPtr&& other) noexcept : FPointer(std::exchange(other.FPointer, nullptr)) {}
  TComPtr& operator=(TComPtr other) noexcept {
    std::swap(FPointer, other.FPointer);
    return *this;
  }
  ~TComPtr() { Reset(); }

  // Takes over a reference the caller already holds.
  static TComPtr Adopt(T* pointer) {
    TComPtr result;
    result.FPointer = pointer;
    return result;
  }

  void Reset() {
    if (FPointer) std::exchange(FPointer, nullptr)->Release();
  }
  // Gives the held reference up to the caller (an out-parameter of COM).
  T* Detach() { return std::exchange(FPointer, nullptr); }
  // For out-parameters: releases what is held and gives the slot.
  T** Receive() {
    Reset();
    return &FPointer;
  }

  T* Get() const { return FPointer; }
  T* operator->() const { return FPointer; }
  explicit operator bool() const { return FPointer != nullptr; }

 private:
  T* FPointer = nullptr;
};

}  // namespace lumora
