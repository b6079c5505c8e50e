#include "platform/win32/style/GdiStyleCanvas.h"

#include "os/win32/WideString.h"

namespace lumora {

TGdiPtr<HFONT> MessageFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return {};
  return TGdiPtr<HFONT>(::CreateFontIndirectW(&metrics.lfMessageFont));
}

TGdiCanvas::TGdiCanvas(HDC dc) : FDc(dc), FFont(MessageFont()) {}

void TGdiCanvas::FillRect(const TStyleRect& rect, TStyleColor color, int radius) {
  if (rect.Empty()) return;
  const TGdiPtr<HBRUSH> brush(::CreateSolidBrush(ToColorRef(color)));
  if (radius <= 0) {
    const RECT r = ToRect(rect);
    ::FillRect(FDc, &r, brush.get());
    return;
  }
  // Without a pen RoundRect fills one pixel less on the right and bottom.
  TSelection useBrush(FDc, brush.get());
  TSelection usePen(FDc, ::GetStockObject(NULL_PEN));
  ::RoundRect(FDc, rect.Left, rect.Top, rect.Right + 1, rect.Bottom + 1, 2 * radius, 2 * radius);
}

void TGdiCanvas::DrawLine(int x1, int y1, int x2, int y2, TStyleColor color, int width) {
  const TGdiPtr<HPEN> pen(::CreatePen(PS_SOLID, width, ToColorRef(color)));
  TSelection usePen(FDc, pen.get());
  ::MoveToEx(FDc, x1, y1, nullptr);
  ::LineTo(FDc, x2, y2);
  ::SetPixelV(FDc, x2, y2, ToColorRef(color));  // LineTo leaves out the last point
}

void TGdiCanvas::DrawText(const TStyleRect& rect, StringView text, TStyleColor color, TStyleTextAlign align) {
  if (rect.Empty()) return;
  RECT r = ToRect(rect);
  TSelection useFont(FDc, FFont ? static_cast<HGDIOBJ>(FFont.get()) : ::GetStockObject(DEFAULT_GUI_FONT));
  ::SetBkMode(FDc, TRANSPARENT);
  ::SetTextColor(FDc, ToColorRef(color));
  const std::wstring wide = Wide(text);
  ::DrawTextW(FDc, wide.c_str(), static_cast<int>(wide.size()), &r,
              DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX |
                  (align == TStyleTextAlign::Center ? DT_CENTER : DT_LEFT));
}

TGdiBuffer::TGdiBuffer(HDC target, int width, int height)
    : FWidth(width),
      FHeight(height),
      FDc(::CreateCompatibleDC(target)),
      FBitmap(::CreateCompatibleBitmap(target, width, height)) {
  if (FDc && FBitmap) FOld = ::SelectObject(FDc.get(), FBitmap.get());
}

TGdiBuffer::~TGdiBuffer() {
  // The bitmap is let go of before it is deleted.
  if (FOld) ::SelectObject(FDc.get(), FOld);
}

void TGdiBuffer::CopyTo(HDC target) const {
  if (FDc && FBitmap) ::BitBlt(target, 0, 0, FWidth, FHeight, FDc.get(), 0, 0, SRCCOPY);
}

}  // namespace lumora
