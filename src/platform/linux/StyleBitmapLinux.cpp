// The style canvas on a Cairo image surface, text through Pango.
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <memory>

#include "platform/StyleBitmap.h"
#include "os/linux/GLibPtr.h"

namespace lumora {
namespace {

struct TCairoDestroy {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
  void operator()(PangoFontDescription* font) const { pango_font_description_free(font); }
};
template <typename T>
using TCairoPtr = std::unique_ptr<T, TCairoDestroy>;

void SetColor(cairo_t* cr, TStyleColor color) {
  cairo_set_source_rgb(cr, color.Red() / 255.0, color.Green() / 255.0, color.Blue() / 255.0);
}

class TCairoCanvas : public TStyleCanvas {
 public:
  explicit TCairoCanvas(cairo_t* cr) : FCr(cr) {}

  void FillRect(const TStyleRect& rect, TStyleColor color, int radius) override {
    if (rect.Empty()) return;
    SetColor(FCr, color);
    const double r = std::min({double(radius), rect.Width() / 2.0, rect.Height() / 2.0});
    if (r <= 0) {
      cairo_rectangle(FCr, rect.Left, rect.Top, rect.Width(), rect.Height());
    } else {
      const double l = rect.Left, t = rect.Top, ri = rect.Right, b = rect.Bottom;
      cairo_new_sub_path(FCr);
      cairo_arc(FCr, ri - r, t + r, r, -G_PI / 2, 0);
      cairo_arc(FCr, ri - r, b - r, r, 0, G_PI / 2);
      cairo_arc(FCr, l + r, b - r, r, G_PI / 2, G_PI);
      cairo_arc(FCr, l + r, t + r, r, G_PI, 3 * G_PI / 2);
      cairo_close_path(FCr);
    }
    cairo_fill(FCr);
  }

  void DrawLine(int x1, int y1, int x2, int y2, TStyleColor color, int width) override {
    SetColor(FCr, color);
    cairo_set_line_width(FCr, width);
    // Pixel centres, so one-pixel lines cover whole pixels.
    cairo_move_to(FCr, x1 + 0.5, y1 + 0.5);
    cairo_line_to(FCr, x2 + 0.5, y2 + 0.5);
    cairo_stroke(FCr);
  }

  void DrawText(const TStyleRect& rect, StringView text, TStyleColor color, TStyleTextAlign align) override {
    if (rect.Empty()) return;
    TGObjectPtr<PangoLayout> layout(pango_cairo_create_layout(FCr));
    const std::string utf8 = ToUtf8(text);
    pango_layout_set_text(layout.get(), utf8.c_str(), static_cast<int>(utf8.size()));
    const TCairoPtr<PangoFontDescription> font(pango_font_description_from_string("Sans 9"));
    pango_layout_set_font_description(layout.get(), font.get());
    pango_layout_set_width(layout.get(), rect.Width() * PANGO_SCALE);
    pango_layout_set_ellipsize(layout.get(), PANGO_ELLIPSIZE_END);
    pango_layout_set_alignment(layout.get(), align == TStyleTextAlign::Center ? PANGO_ALIGN_CENTER : PANGO_ALIGN_LEFT);
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout.get(), &width, &height);
    cairo_save(FCr);
    cairo_rectangle(FCr, rect.Left, rect.Top, rect.Width(), rect.Height());
    cairo_clip(FCr);
    SetColor(FCr, color);
    cairo_move_to(FCr, rect.Left, rect.Top + (rect.Height() - height) / 2);
    pango_cairo_show_layout(FCr, layout.get());
    cairo_restore(FCr);
  }

 private:
  cairo_t* FCr;
};

}  // namespace

TBitmap32 PaintBitmap(int width, int height, const std::function<void(TStyleCanvas&)>& paint) {
  TBitmap32 bitmap;
  if (width < 1 || height < 1) return bitmap;
  const TCairoPtr<cairo_surface_t> surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
  {
    const TCairoPtr<cairo_t> cr(cairo_create(surface.get()));
    cairo_set_source_rgb(cr.get(), 0, 0, 0);
    cairo_paint(cr.get());
    TCairoCanvas canvas(cr.get());
    paint(canvas);
  }
  cairo_surface_flush(surface.get());

  bitmap.Width = width;
  bitmap.Height = height;
  bitmap.Pixels.resize(static_cast<size_t>(width) * height);
  const unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < width; ++x)
      bitmap.Pixels[static_cast<size_t>(y) * width + x] = 0xFF000000u | (row[x] & 0xFFFFFF);
  }
  return bitmap;
}

}  // namespace lumora
