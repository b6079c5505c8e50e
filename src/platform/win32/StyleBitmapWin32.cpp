// The style canvas on a GDI DIB section.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <type_traits>

#include "core/Exception.h"
#include "platform/StyleBitmap.h"
#include "os/win32/WideString.h"

namespace lumora {
namespace {

struct TGdiDelete {
  void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
  void operator()(HDC dc) const { ::DeleteDC(dc); }
};
template <typename T>
using TGdiPtr = std::unique_ptr<std::remove_pointer_t<T>, TGdiDelete>;

COLORREF ToColorRef(TStyleColor color) { return RGB(color.Red(), color.Green(), color.Blue()); }

// Selects an object into a DC for one scope.
class TSelection {
 public:
  TSelection(HDC dc, HGDIOBJ object) : FDc(dc), FOld(::SelectObject(dc, object)) {}
  ~TSelection() { ::SelectObject(FDc, FOld); }
  TSelection(const TSelection&) = delete;
  TSelection& operator=(const TSelection&) = delete;

 private:
  HDC FDc;
  HGDIOBJ FOld;
};

class TGdiCanvas : public TStyleCanvas {
 public:
  explicit TGdiCanvas(HDC dc) : FDc(dc) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
      FFont.reset(::CreateFontIndirectW(&metrics.lfMessageFont));
  }

  void FillRect(const TStyleRect& rect, TStyleColor color, int radius) override {
    if (rect.Empty()) return;
    const TGdiPtr<HBRUSH> brush(::CreateSolidBrush(ToColorRef(color)));
    if (radius <= 0) {
      const RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
      ::FillRect(FDc, &r, brush.get());
      return;
    }
    // Without a pen RoundRect fills one pixel less on the right and bottom.
    TSelection useBrush(FDc, brush.get());
    TSelection usePen(FDc, ::GetStockObject(NULL_PEN));
    ::RoundRect(FDc, rect.Left, rect.Top, rect.Right + 1, rect.Bottom + 1, 2 * radius, 2 * radius);
  }

  void DrawLine(int x1, int y1, int x2, int y2, TStyleColor color, int width) override {
    const TGdiPtr<HPEN> pen(::CreatePen(PS_SOLID, width, ToColorRef(color)));
    TSelection usePen(FDc, pen.get());
    ::MoveToEx(FDc, x1, y1, nullptr);
    ::LineTo(FDc, x2, y2);
    ::SetPixelV(FDc, x2, y2, ToColorRef(color));  // LineTo leaves out the last point
  }

  void DrawText(const TStyleRect& rect, StringView text, TStyleColor color, TStyleTextAlign align) override {
    if (rect.Empty()) return;
    RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
    TSelection useFont(FDc, FFont ? static_cast<HGDIOBJ>(FFont.get()) : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(FDc, TRANSPARENT);
    ::SetTextColor(FDc, ToColorRef(color));
    const std::wstring wide = Wide(text);
    ::DrawTextW(FDc, wide.c_str(), static_cast<int>(wide.size()), &r,
                DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX |
                    (align == TStyleTextAlign::Center ? DT_CENTER : DT_LEFT));
  }

 private:
  HDC FDc;
  TGdiPtr<HFONT> FFont;
};

}  // namespace

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
