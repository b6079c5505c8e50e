#include "core/protocol/MimeTypes.h"

#include <algorithm>
#include <iterator>

namespace lumora {

namespace {

struct TMimeEntry {
  StringView Extension;  // upper-case, without the dot
  StringView Type;
};

// Sorted by extension for the binary search.
constexpr TMimeEntry kMimeTable[] = {
    {u"AAC", u"audio/aac"},
    {u"APNG", u"image/apng"},
    {u"AVIF", u"image/avif"},
    {u"BMP", u"image/bmp"},
    {u"CSS", u"text/css"},
    {u"CSV", u"text/csv"},
    {u"FLAC", u"audio/flac"},
    {u"GIF", u"image/gif"},
    {u"HTM", u"text/html"},
    {u"HTML", u"text/html"},
    {u"ICO", u"image/x-icon"},
    {u"JPEG", u"image/jpeg"},
    {u"JPG", u"image/jpeg"},
    {u"JS", u"text/javascript"},
    {u"JSON", u"application/json"},
    {u"M4A", u"audio/mp4"},
    {u"MAP", u"application/json"},
    {u"MJS", u"text/javascript"},
    {u"MP3", u"audio/mpeg"},
    {u"MP4", u"video/mp4"},
    {u"OGA", u"audio/ogg"},
    {u"OGG", u"audio/ogg"},
    {u"OGV", u"video/ogg"},
    {u"OTF", u"font/otf"},
    {u"PDF", u"application/pdf"},
    {u"PNG", u"image/png"},
    {u"SVG", u"image/svg+xml"},
    {u"TTF", u"font/ttf"},
    {u"TXT", u"text/plain"},
    {u"VTT", u"text/vtt"},
    {u"WASM", u"application/wasm"},
    {u"WAV", u"audio/wav"},
    {u"WEBM", u"video/webm"},
    {u"WEBP", u"image/webp"},
    {u"WOFF", u"font/woff"},
    {u"WOFF2", u"font/woff2"},
    {u"XHTML", u"application/xhtml+xml"},
    {u"XML", u"application/xml"},
};

static_assert(std::is_sorted(std::begin(kMimeTable), std::end(kMimeTable),
                             [](const TMimeEntry& a, const TMimeEntry& b) { return a.Extension < b.Extension; }));

}  // namespace

String TMimeTypes::ForName(StringView name) {
  const size_t dot = name.find_last_of(u"./");
  if (dot == StringView::npos || name[dot] != u'.') return String();
  const String extension = UpperCaseAscii(name.substr(dot + 1));
  const auto found = std::lower_bound(std::begin(kMimeTable), std::end(kMimeTable), extension,
                                      [](const TMimeEntry& entry, const String& key) { return entry.Extension < key; });
  if (found == std::end(kMimeTable) || found->Extension != extension) return String();
  return String(found->Type);
}

}  // namespace lumora
