// Text measuring and icons on Linux: Pango over cairo for the width of a
// text, GdkPixbuf and cairo for drawing a file's icon into a bitmap.
#include <gdk/gdk.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <glib.h>
#include <pango/pangocairo.h>

#include <cstring>
#include <memory>
#include <string>

#include "os/SysUtils.h"
#include "os/linux/GLibPtr.h"

namespace lumora {

namespace {

// The size Windows gives the first icon of a file (SM_CXICON at 96 dots per
// inch); icons are scaled to it on both platforms.
constexpr int kIconSize = 32;

struct TFontDescriptionFree {
  void operator()(PangoFontDescription* description) const { pango_font_description_free(description); }
};

struct TSurfaceDestroy {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct TCairoDestroy {
  void operator()(cairo_t* cairo) const { cairo_destroy(cairo); }
};

// The file that holds the icon of path: path itself, or for a desktop
// entry the file its Icon key names. An icon named after the desktop's
// theme has no file of its own here: the empty text.
std::string IconFileOf(const std::string& path) {
  if (!g_str_has_suffix(path.c_str(), ".desktop")) return path;
  const TGKeyFilePtr file(g_key_file_new());
  if (!g_key_file_load_from_file(file.get(), path.c_str(), G_KEY_FILE_NONE, nullptr)) return {};
  const TGCharPtr icon(
      g_key_file_get_string(file.get(), G_KEY_FILE_DESKTOP_GROUP, G_KEY_FILE_DESKTOP_KEY_ICON, nullptr));
  return icon && icon.get()[0] == '/' ? std::string(icon.get()) : std::string();
}

}  // namespace

int TSysUtils::TrueFontWidth(const TFont& aFont, const String& str) {
  // The default cairo font map works at 96 dots per inch, the screen
  // resolution Windows measures at; sizes here are absolute pixels anyway.
  const TGObjectPtr<PangoContext> context(pango_font_map_create_context(pango_cairo_font_map_get_default()));
  const TGObjectPtr<PangoLayout> layout(pango_layout_new(context.get()));
  const std::unique_ptr<PangoFontDescription, TFontDescriptionFree> font(pango_font_description_new());
  pango_font_description_set_family(font.get(), ToUtf8(aFont.FaceName).c_str());
  // A height of 0 or less leaves the size to the platform, as a LOGFONT
  // height of 0 does.
  if (aFont.PixelHeight > 0) {
    pango_font_description_set_absolute_size(font.get(), aFont.PixelHeight * PANGO_SCALE);
  }
  pango_layout_set_font_description(layout.get(), font.get());
  const std::string text = ToUtf8(str);
  pango_layout_set_text(layout.get(), text.c_str(), static_cast<int>(text.size()));
  int width = 0, height = 0;
  pango_layout_get_pixel_size(layout.get(), &width, &height);
  return width;
}

bool TSysUtils::ExtractExeIcon(const String& path, TBitmap& bitmap) {
  // Programs on Linux carry no icon inside; what has one of its own is an
  // icon or picture file (.ico, .png, ...) and a desktop entry whose Icon
  // is such a file.
  const std::string iconFile = IconFileOf(ToUtf8(path));
  if (iconFile.empty()) return false;
  const TGObjectPtr<GdkPixbuf> icon(gdk_pixbuf_new_from_file_at_size(iconFile.c_str(), kIconSize, kIconSize, nullptr));
  if (!icon) return false;

  // Drawn at (0, 0) onto a transparent surface of the icon's size, as
  // DrawIcon draws onto the bitmap.
  const int width = gdk_pixbuf_get_width(icon.get());
  const int height = gdk_pixbuf_get_height(icon.get());
  const std::unique_ptr<cairo_surface_t, TSurfaceDestroy> surface(
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
  {
    const std::unique_ptr<cairo_t, TCairoDestroy> cairo(cairo_create(surface.get()));
    gdk_cairo_set_source_pixbuf(cairo.get(), icon.get(), 0, 0);
    cairo_paint(cairo.get());
  }
  cairo_surface_flush(surface.get());
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return false;

  // ARGB32 is a native-endian 32-bit word per pixel, premultiplied: on a
  // little-endian machine the bytes are blue, green, red, alpha.
  static_assert(G_BYTE_ORDER == G_LITTLE_ENDIAN, "ARGB32 byte order assumed");
  const int stride = cairo_image_surface_get_stride(surface.get());
  const unsigned char* pixels = cairo_image_surface_get_data(surface.get());
  bitmap.Width = width;
  bitmap.Height = height;
  bitmap.Pixels.resize(static_cast<size_t>(width) * height * 4);
  for (int row = 0; row < height; ++row) {
    std::memcpy(bitmap.Pixels.data() + static_cast<size_t>(row) * width * 4, pixels + static_cast<size_t>(row) * stride,
                static_cast<size_t>(width) * 4);
  }
  return true;
}

}  // namespace lumora
