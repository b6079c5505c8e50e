// Text measuring and icons on Windows through GDI.
#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <memory>
#include <type_traits>

#include "os/SysUtils.h"
#include "os/win32/GdiHandles.h"
#include "os/win32/WideString.h"

namespace lumora {

namespace {

struct TIconDestroy {
  void operator()(HICON icon) const { ::DestroyIcon(icon); }
};
using TFontPtr = TGdiPtr<HFONT>;
using TBitmapPtr = TGdiPtr<HBITMAP>;
using TMemoryDCPtr = TGdiPtr<HDC>;
using TIconPtr = std::unique_ptr<std::remove_pointer_t<HICON>, TIconDestroy>;

// A 32-bit top-down DIB section of the given size and its pixel memory.
HBITMAP CreateBgraBitmap(int width, int height, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

}  // namespace

int TSysUtils::TrueFontWidth(const TFont& aFont, const String& str) {
  // A negative LOGFONT height asks for that character height in pixels; a
  // PixelHeight of 0 leaves the size to GDI.
  LOGFONTW description{};
  description.lfHeight = -aFont.PixelHeight;
  description.lfCharSet = DEFAULT_CHARSET;
  const std::wstring face = Wide(aFont.FaceName).substr(0, LF_FACESIZE - 1);
  std::memcpy(description.lfFaceName, face.c_str(), (face.size() + 1) * sizeof(wchar_t));
  const TFontPtr font(::CreateFontIndirectW(&description));

  const TScreenDcPtr screen(::GetDC(nullptr));
  const TSelection selected(screen.get(), font.get());
  SIZE extent{};
  ::GetTextExtentPoint32W(screen.get(), Wide(str).c_str(), static_cast<int>(str.size()), &extent);
  return extent.cx;
}

bool TSysUtils::ExtractExeIcon(const String& path, TBitmap& bitmap) {
  const HICON handle = ::ExtractIconW(::GetModuleHandleW(nullptr), Wide(path).c_str(), 0);
  // 1 is ExtractIconW's answer for a file that is no program, library or
  // icon file: no icon either, though not null.
  if (handle == nullptr || handle == reinterpret_cast<HICON>(1)) return false;
  const TIconPtr icon(handle);

  ICONINFO parts{};
  if (!::GetIconInfo(icon.get(), &parts)) return false;
  const TBitmapPtr mask(parts.hbmMask);
  const TBitmapPtr color(parts.hbmColor);
  BITMAP maskInfo{};
  ::GetObjectW(parts.hbmMask, sizeof maskInfo, &maskInfo);
  const int width = maskInfo.bmWidth;
  // A monochrome icon keeps its AND and XOR masks one above the other.
  const int height = parts.hbmColor ? maskInfo.bmHeight : maskInfo.bmHeight / 2;
  if (width <= 0 || height <= 0) return false;

  void* bits = nullptr;
  const TBitmapPtr surface(CreateBgraBitmap(width, height, &bits));
  const TMemoryDCPtr dc(::CreateCompatibleDC(nullptr));
  if (!surface || !dc) return false;
  {
    const TSelection selected(dc.get(), surface.get());
    ::DrawIcon(dc.get(), 0, 0, icon.get());
  }
  ::GdiFlush();

  const size_t size = static_cast<size_t>(width) * height * 4;
  bitmap.Width = width;
  bitmap.Height = height;
  bitmap.Pixels.assign(static_cast<const uint8_t*>(bits), static_cast<const uint8_t*>(bits) + size);

  // An icon with an alpha channel leaves it in the bitmap. One without
  // (colour plus AND mask) leaves alpha 0 everywhere: the mask tells which
  // pixels are the icon's.
  bool hasAlpha = false;
  for (size_t i = 3; i < size && !hasAlpha; i += 4) hasAlpha = bitmap.Pixels[i] != 0;
  if (!hasAlpha) {
    void* maskBits = nullptr;
    const TBitmapPtr maskSurface(CreateBgraBitmap(width, height, &maskBits));
    if (!maskSurface) return false;
    {
      const TSelection selected(dc.get(), maskSurface.get());
      ::DrawIconEx(dc.get(), 0, 0, icon.get(), width, height, 0, nullptr, DI_MASK);
    }
    ::GdiFlush();
    const auto* maskPixels = static_cast<const uint8_t*>(maskBits);
    for (size_t i = 0; i < size; i += 4) {
      // Black in the AND mask is an opaque pixel.
      if (maskPixels[i] == 0)
        bitmap.Pixels[i + 3] = 255;
      else
        bitmap.Pixels[i] = bitmap.Pixels[i + 1] = bitmap.Pixels[i + 2] = 0;
    }
  }
  return true;
}

}  // namespace lumora
