// The window icon from image bytes, through GdkPixbuf's loaders (PNG and
// ICO among them); GTK puts the default icon on every new window.
#include <gtk/gtk.h>

#include "platform/AppIcon.h"
#include "os/linux/GLibPtr.h"

namespace lumora {

bool SetApplicationIcon(const std::vector<uint8_t>& image) {
  if (image.empty()) return false;
  TGObjectPtr<GdkPixbufLoader> loader(gdk_pixbuf_loader_new());
  const bool written = gdk_pixbuf_loader_write(loader.get(), image.data(), image.size(), nullptr);
  // Closed once whatever happened: a loader dropped unclosed complains.
  const bool closed = gdk_pixbuf_loader_close(loader.get(), nullptr);
  if (!written || !closed) return false;
  GdkPixbuf* icon = gdk_pixbuf_loader_get_pixbuf(loader.get());  // owned by the loader
  if (icon == nullptr) return false;
  gtk_window_set_default_icon(icon);
  return true;
}

bool UsesPackedIcon() { return true; }

}  // namespace lumora
