// Owners of GDI handles, each given back with the call that belongs to it,
// and an object selected into a device context for one scope.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace lumora {

// Objects (fonts, bitmaps, brushes, regions) are deleted; memory device
// contexts too, by their own call.
struct TGdiDelete {
  void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
  void operator()(HDC dc) const { ::DeleteDC(dc); }
};
template <typename T>
using TGdiPtr = std::unique_ptr<std::remove_pointer_t<T>, TGdiDelete>;

// The screen's device context (GetDC(nullptr)) is released, not deleted.
struct TScreenDcRelease {
  void operator()(HDC dc) const { ::ReleaseDC(nullptr, dc); }
};
using TScreenDcPtr = std::unique_ptr<std::remove_pointer_t<HDC>, TScreenDcRelease>;

// Selects an object into a device context and puts the previous one back.
class TSelection {
 public:
  TSelection(HDC dc, HGDIOBJ object) : FDc(dc), FPrevious(::SelectObject(dc, object)) {}
  ~TSelection() {
    if (FPrevious) ::SelectObject(FDc, FPrevious);
  }
  TSelection(const TSelection&) = delete;
  TSelection& operator=(const TSelection&) = delete;

 private:
  HDC FDc;
  HGDIOBJ FPrevious;
};

}  // namespace lumora
