// The style canvas on a GDI DIB section.
#include <windows.h>

#include "base/Exception.h"
#include "platform/win32/style/GdiStyleCanvas.h"
#include "platform/StyleBitmap.h"

namespace lumora {

TBitmap32 PaintBitmap(int width, int height, const std::function<void(TStyleCanvas&)>& paint) {
  TBitmap32 bitmap;
  if (width < 1 || height < 1) return bitmap;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const TGdiPtr<HDC> dc(::CreateCompatibleDC(nullptr));
  const TGdiPtr<HBITMAP> dib(::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dc || !dib || !bits) throw Exception(u"The preview bitmap could not be created");
  {
    TSelection useBitmap(dc.get(), dib.get());
    TGdiCanvas canvas(dc.get());
    paint(canvas);
    ::GdiFlush();
  }
  bitmap.Width = width;
  bitmap.Height = height;
  const auto* pixels = static_cast<const uint32_t*>(bits);
  // GDI leaves the alpha byte alone: every pixel is opaque.
  bitmap.Pixels.assign(pixels, pixels + static_cast<size_t>(width) * height);
  for (uint32_t& pixel : bitmap.Pixels) pixel |= 0xFF000000u;
  return bitmap;
}

}  // namespace lumora
