#include "app/linux/MissingLibrary.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace lumora {

namespace {

// The libraries the runtime links, by the name before ".so", with what
// they are part of and the Debian and Ubuntu package that holds them.
struct TLibraryPackage {
  const char* name;
  const char* part;
  const char* debianPackage;
};

constexpr TLibraryPackage kPackages[] = {
    {"libwebkit2gtk-4.1", "WebKitGTK 4.1", "libwebkit2gtk-4.1-0"},
    {"libjavascriptcoregtk-4.1", "WebKitGTK 4.1", "libjavascriptcoregtk-4.1-0"},
    {"libgtk-3", "GTK 3", "libgtk-3-0"},
    {"libgdk-3", "GTK 3", "libgtk-3-0"},
    {"libgstreamer-1.0", "GStreamer", "libgstreamer1.0-0"},
    {"libgstapp-1.0", "GStreamer", "libgstreamer-plugins-base1.0-0"},
    {"libsoup-3.0", "libsoup 3", "libsoup-3.0-0"},
    {"libglib-2.0", "GLib", "libglib2.0-0"},
    {"libgobject-2.0", "GLib", "libglib2.0-0"},
    {"libgio-2.0", "GLib", "libglib2.0-0"},
    {"libpango-1.0", "Pango", "libpango-1.0-0"},
    {"libpangocairo-1.0", "Pango", "libpangocairo-1.0-0"},
    {"libcairo", "cairo", "libcairo2"},
    {"libgdk_pixbuf-2.0", "GdkPixbuf", "libgdk-pixbuf-2.0-0"},
    {"libX11", "X11", "libx11-6"},
    {"libXtst", "X11", "libxtst6"},
    {"libsqlite3", "SQLite", "libsqlite3-0"},
    {"libpcre2-8", "PCRE2", "libpcre2-8-0"},
    {"libz", "zlib", "zlib1g"},
    {"libstdc++", "the GNU C++ library", "libstdc++6"},
    {"libgcc_s", "the GCC support library", "libgcc-s1"},
};

const TLibraryPackage* PackageOf(const char* library) {
  for (const TLibraryPackage& package : kPackages) {
    const size_t length = std::strlen(package.name);
    if (std::strncmp(library, package.name, length) == 0 && std::strncmp(library + length, ".so", 3) == 0) {
      return &package;
    }
  }
  return nullptr;
}

// Copies the file name of the path that ends at end (the text from the
// last '/' before it, or from begin) into library.
void CopyFileName(const char* begin, const char* end, char* library, size_t size) {
  const char* name = begin;
  for (const char* p = begin; p < end; ++p) {
    if (*p == '/') name = p + 1;
  }
  const size_t length = static_cast<size_t>(end - name) < size - 1 ? static_cast<size_t>(end - name) : size - 1;
  std::memcpy(library, name, length);
  library[length] = '\0';
}

// Appends to the terminated text in a buffer of size bytes, cutting short
// what does not fit.
void Append(char* text, size_t size, const char* format, ...) {
  const size_t used = std::strlen(text);
  if (used + 1 >= size) return;
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text + used, size - used, format, arguments);
  va_end(arguments);
}

}  // namespace

TLoadFailure ReadLoadFailure(const char* loaderMessage, char* library, size_t size) {
  if (size == 0) return lfOther;
  library[0] = '\0';
  // glibc writes "NAME: cannot open shared object file: REASON" for a
  // library it found nowhere, NAME as the runtime names it, and
  // "PATH: version `V' not found (required by OBJECT)" for one it found
  // too old.
  if (const char* end = std::strstr(loaderMessage, ": cannot open shared object file")) {
    CopyFileName(loaderMessage, end, library, size);
    return library[0] ? lfMissing : lfOther;
  }
  if (const char* end = std::strstr(loaderMessage, ": version `")) {
    CopyFileName(loaderMessage, end, library, size);
    return library[0] ? lfTooOld : lfOther;
  }
  return lfOther;
}

void DescribeLoadFailure(const char* program, const char* loaderMessage, char* text, size_t size) {
  if (size == 0) return;
  text[0] = '\0';
  char library[256];
  const TLoadFailure failure = ReadLoadFailure(loaderMessage, library, sizeof library);
  const TLibraryPackage* package = failure == lfOther ? nullptr : PackageOf(library);
  if (failure == lfMissing) {
    Append(text, size, "%s cannot start: the library %s is not installed.\n", program, library);
  } else if (failure == lfTooOld) {
    Append(text, size, "%s cannot start: the installed library %s is too old.\n", program, library);
  } else {
    Append(text, size, "%s cannot start: its libraries do not load (%s).\n", program, loaderMessage);
  }
  if (package) {
    Append(text, size, "It is part of %s, in the package %s on Debian and Ubuntu.\n", package->part,
           package->debianPackage);
  }
  Append(text, size,
         "%s needs WebKitGTK 4.1, GTK 3 and the GStreamer plug-ins for sound and video. To install them:\n"
         "  Debian, Ubuntu: sudo apt install libwebkit2gtk-4.1-0 libgtk-3-0 gstreamer1.0-plugins-base "
         "gstreamer1.0-plugins-good\n"
         "  Fedora:         sudo dnf install webkit2gtk4.1 gtk3 gstreamer1-plugins-base gstreamer1-plugins-good\n"
         "  Arch Linux:     sudo pacman -S webkit2gtk-4.1 gtk3 gst-plugins-base gst-plugins-good\n",
         program);
  if (failure == lfTooOld) Append(text, size, "(%s)\n", loaderMessage);
}

}  // namespace lumora
