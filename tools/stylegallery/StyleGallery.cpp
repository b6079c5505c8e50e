// Writes the preview of every built-in style as a PNG picture, for the
// style gallery of the documentation:
//
//   lumora-style-gallery OUTPUT_DIR
//
// Each picture is what TStylesUtils::DrawThemePreview draws, named after
// the style's display name in lower case with dashes for spaces
// ("Aqua Graphite" -> aqua-graphite.png). Cairo writes the PNG files.
#include <cairo.h>

#include <cstdio>
#include <memory>
#include <string>

#include "app/StylesUtils.h"
#include "core/style/StyleEngine.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 230;

struct TSurfaceDelete {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};

std::string FileName(const std::string& displayName) {
  std::string name;
  for (char c : displayName) name += c == ' ' ? '-' : static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return name + ".png";
}

bool WritePng(const lumora::TBitmap32& bitmap, const std::string& path) {
  // Opaque 0xAARRGGBB rows are Cairo's ARGB32 as they stand.
  const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, bitmap.Width);
  if (stride != bitmap.Width * 4) return false;
  std::unique_ptr<cairo_surface_t, TSurfaceDelete> surface(
      cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(bitmap.Pixels.data())),
                                          CAIRO_FORMAT_ARGB32, bitmap.Width, bitmap.Height, stride));
  return cairo_surface_write_to_png(surface.get(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: lumora-style-gallery OUTPUT_DIR\n");
    return 2;
  }
  const std::string folder = argv[1];
  lumora::TStringList names;
  lumora::TStylesUtils::GetAvailables(names, true);
  for (int i = 0; i < names.Count(); ++i) {
    if (names[i] == lumora::NativeStyleName) continue;  // the platform's look: no preview
    const std::string name = lumora::ToUtf8(names[i]);
    lumora::TImage image;
    image.ClientWidth = kWidth;
    image.ClientHeight = kHeight;
    lumora::TStylesUtils::DrawThemePreview(names[i], image);
    const std::string path = folder + "/" + FileName(name);
    if (!WritePng(image.Picture, path)) {
      std::fprintf(stderr, "lumora-style-gallery: could not write %s\n", path.c_str());
      return 1;
    }
    std::printf("%s\n", path.c_str());
  }
  return 0;
}
