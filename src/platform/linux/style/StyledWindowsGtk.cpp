// The active style as a GTK CSS theme for every window of the process,
// with client-side decorations so that the caption bar and the frame are a
// GTK header bar and decoration, drawn in the style. A window's decorated
// and resizable flags and its type hint still decide whether it has a
// caption bar and resize edges, and which caption buttons it shows.
//
// GTK_CSD alone is not enough: GTK only honours it where windows can have
// shadows (a compositing screen). A header bar set as a window's title bar
// gives client-side decorations on any screen, so each backend hands its
// top-level windows (and the message boxes theirs) to StyleWindowBeforeShow
// before they first show them.
#include "platform/linux/style/StyledWindowsGtk.h"

#include <string>

#include "os/linux/GLibPtr.h"
#include "platform/linux/style/StyleCss.h"

namespace lumora {
namespace {

// The provider of the style in force, if any, on the default screen.
struct TAppliedTheme {
  TGObjectPtr<GtkCssProvider> Provider;
};

TAppliedTheme& Applied() {
  static TAppliedTheme applied;
  return applied;
}

void RemoveTheme(TAppliedTheme& applied) {
  if (!applied.Provider) return;
  if (GdkScreen* screen = gdk_screen_get_default())
    gtk_style_context_remove_provider_for_screen(screen, GTK_STYLE_PROVIDER(applied.Provider.get()));
  applied.Provider.reset();
}

}  // namespace

void InstallStyleCss(const TStyleDefinition* style) {
  TAppliedTheme& applied = Applied();
  RemoveTheme(applied);
  if (!style || !gtk_init_check(nullptr, nullptr)) return;
  GdkScreen* screen = gdk_screen_get_default();
  if (!screen) return;

  TGObjectPtr<GtkCssProvider> provider(gtk_css_provider_new());
  const std::string css = StyleCss(*style);
  gtk_css_provider_load_from_data(provider.get(), css.c_str(), static_cast<gssize>(css.size()), nullptr);
  // Above the user's theme settings, below nothing: the style wins.
  gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(provider.get()),
                                            GTK_STYLE_PROVIDER_PRIORITY_USER + 1);
  applied.Provider = std::move(provider);
}

void StyleWindowBeforeShow(GtkWindow* window) {
  if (!Applied().Provider || gtk_widget_get_realized(GTK_WIDGET(window)) || !gtk_window_get_decorated(window) ||
      gtk_window_get_titlebar(window) || gtk_window_get_window_type(window) != GTK_WINDOW_TOPLEVEL)
    return;
  GtkWidget* bar = gtk_header_bar_new();
  gtk_header_bar_set_show_close_button(GTK_HEADER_BAR(bar), TRUE);
  // GTK copies a header bar's title to its window; the window's own later
  // titles are copied back here, once each, so the two never ping-pong.
  gtk_header_bar_set_title(GTK_HEADER_BAR(bar), gtk_window_get_title(window));
  g_signal_connect_object(window, "notify::title",
                          G_CALLBACK(+[](GtkWindow* source, GParamSpec*, GtkHeaderBar* target) {
                            if (g_strcmp0(gtk_window_get_title(source), gtk_header_bar_get_title(target)) != 0)
                              gtk_header_bar_set_title(target, gtk_window_get_title(source));
                          }),
                          bar, GConnectFlags(0));
  gtk_widget_show(bar);
  gtk_window_set_titlebar(window, bar);
}

}  // namespace lumora
