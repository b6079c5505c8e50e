// The style canvas over a GDI device context.
#pragma once

#include <windows.h>

#include "core/style/StyleCanvas.h"
#include "os/win32/GdiHandles.h"

namespace lumora {

inline COLORREF ToColorRef(TStyleColor color) { return RGB(color.Red(), color.Green(), color.Blue()); }

inline RECT ToRect(const TStyleRect& rect) { return {rect.Left, rect.Top, rect.Right, rect.Bottom}; }

// The user's message font (caption and dialog text), or none when the
// system does not tell.
TGdiPtr<HFONT> MessageFont();

class TGdiCanvas : public TStyleCanvas {
 public:
  explicit TGdiCanvas(HDC dc);

  void FillRect(const TStyleRect& rect, TStyleColor color, int radius) override;
  void DrawLine(int x1, int y1, int x2, int y2, TStyleColor color, int width) override;
  void DrawText(const TStyleRect& rect, StringView text, TStyleColor color, TStyleTextAlign align) override;

 private:
  HDC FDc;
  TGdiPtr<HFONT> FFont;
};

// A memory bitmap compatible with a device, to draw on before one copy to
// it (no flicker).
class TGdiBuffer {
 public:
  TGdiBuffer(HDC target, int width, int height);
  ~TGdiBuffer();
  TGdiBuffer(const TGdiBuffer&) = delete;
  TGdiBuffer& operator=(const TGdiBuffer&) = delete;
  HDC Dc() const { return FDc.get(); }
  // Copies the buffer to (0, 0) of target.
  void CopyTo(HDC target) const;

 private:
  int FWidth;
  int FHeight;
  TGdiPtr<HDC> FDc;
  TGdiPtr<HBITMAP> FBitmap;
  HGDIOBJ FOld = nullptr;
};

}  // namespace lumora
