// The tray icon as a GtkStatusIcon, which lives in the X11 system tray.
// GTK marks it deprecated, but it is the one GTK 3 way to reach that tray.
#include <gtk/gtk.h>

#include "core/HandlerGuard.h"
#include "platform/TrayIcon.h"
#include "os/linux/GLibPtr.h"

G_GNUC_BEGIN_IGNORE_DEPRECATIONS

namespace lumora {

struct TTrayIcon::TImpl {
  TGObjectPtr<GtkStatusIcon> Icon;
  String Hint;
};

namespace {

void OnActivate(GtkStatusIcon*, gpointer data) {
  auto* self = static_cast<TTrayIcon*>(data);
  RunHandler([self] {
    if (self->OnClick) self->OnClick();
  });
}

}  // namespace

TTrayIcon::TTrayIcon() : FImpl(std::make_unique<TImpl>()) {
  // Without an icon of its own it shows the application's, as GTK gives
  // the program no other: the generic executable icon.
  FImpl->Icon.reset(gtk_status_icon_new_from_icon_name("application-x-executable"));
  gtk_status_icon_set_visible(FImpl->Icon.get(), FALSE);
  g_signal_connect(FImpl->Icon.get(), "activate", G_CALLBACK(OnActivate), this);
}

TTrayIcon::~TTrayIcon() {
  g_signal_handlers_disconnect_by_data(FImpl->Icon.get(), this);
  gtk_status_icon_set_visible(FImpl->Icon.get(), FALSE);
}

void TTrayIcon::SetVisible(bool visible) {
  // The program's own icon, once it has one, in place of the generic one.
  if (visible) {
    if (GList* icons = gtk_window_get_default_icon_list()) {
      gtk_status_icon_set_from_pixbuf(FImpl->Icon.get(), GDK_PIXBUF(g_list_last(icons)->data));
      g_list_free(icons);
    }
  }
  gtk_status_icon_set_visible(FImpl->Icon.get(), visible);
}

bool TTrayIcon::Visible() const { return gtk_status_icon_get_visible(FImpl->Icon.get()); }

void TTrayIcon::SetHint(const String& hint) {
  FImpl->Hint = hint;
  gtk_status_icon_set_tooltip_text(FImpl->Icon.get(), ToUtf8(hint).c_str());
  gtk_status_icon_set_title(FImpl->Icon.get(), ToUtf8(hint).c_str());
}

String TTrayIcon::Hint() const { return FImpl->Hint; }

}  // namespace lumora

G_GNUC_END_IGNORE_DEPRECATIONS
