// The password dialog as a GTK dialog-type window with its own main loop.
#include <gtk/gtk.h>

#include "core/HandlerGuard.h"
#include "core/TerminationRequest.h"
#include "platform/PasswordWindow.h"
#include "os/linux/GLibPtr.h"
#include "platform/linux/TerminationWatch.h"
#include "platform/linux/style/StyledWindowsGtk.h"

namespace lumora {

struct TPasswordWindow::TImpl {
  GtkWidget* Window = nullptr;
  GtkWidget* Edit = nullptr;
  GMainLoop* Loop = nullptr;
  int Result = mrNone;
  // The source of a delayed result, while it waits.
  guint Timer = 0;
  int DelayedResult = mrNone;
};

namespace {

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
  static_cast<TPasswordWindow*>(data)->SetModalResult(mrCancel);
  return TRUE;
}

void OnChanged(GtkEditable*, gpointer data) {
  auto* self = static_cast<TPasswordWindow*>(data);
  RunHandler([self] {
    if (self->OnChange) self->OnChange();
  });
}

// The lock picture: the theme's password icon, or a drawn padlock when the
// theme has none.
GtkWidget* LockImage() {
  GtkIconTheme* theme = gtk_icon_theme_get_default();
  for (const char* name : {"dialog-password", "changes-prevent", "system-lock-screen"}) {
    if (gtk_icon_theme_has_icon(theme, name)) {
      GtkWidget* image = gtk_image_new_from_icon_name(name, GTK_ICON_SIZE_DND);
      gtk_image_set_pixel_size(GTK_IMAGE(image), 32);
      return image;
    }
  }
  GtkWidget* area = gtk_drawing_area_new();
  g_signal_connect(area, "draw", G_CALLBACK(+[](GtkWidget*, cairo_t* cr, gpointer) -> gboolean {
                     cairo_set_source_rgb(cr, 0.85, 0.65, 0.13);
                     cairo_set_line_width(cr, 3);
                     cairo_arc(cr, 16, 12, 7, G_PI, 2 * G_PI);
                     cairo_stroke(cr);
                     cairo_rectangle(cr, 6, 13, 20, 15);
                     cairo_fill(cr);
                     return TRUE;
                   }),
                   nullptr);
  return area;
}

}  // namespace

TPasswordWindow::TPasswordWindow() : FImpl(std::make_unique<TImpl>()) {
  gtk_init_check(nullptr, nullptr);
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  FImpl->Window = window;
  gtk_window_set_type_hint(GTK_WINDOW(window), GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
  gtk_window_set_modal(GTK_WINDOW(window), TRUE);
  gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
  gtk_window_set_title(GTK_WINDOW(window), "");

  GtkWidget* layout = gtk_fixed_new();
  gtk_widget_set_size_request(layout, 313, 54);
  GtkWidget* image = LockImage();
  gtk_widget_set_size_request(image, 32, 32);
  gtk_fixed_put(GTK_FIXED(layout), image, 16, 16);
  FImpl->Edit = gtk_entry_new();
  gtk_entry_set_visibility(GTK_ENTRY(FImpl->Edit), TRUE);
  gtk_widget_set_size_request(FImpl->Edit, 225, 21);
  gtk_fixed_put(GTK_FIXED(layout), FImpl->Edit, 64, 16);
  gtk_container_add(GTK_CONTAINER(window), layout);

  g_signal_connect(window, "delete-event", G_CALLBACK(OnDelete), this);
  g_signal_connect(FImpl->Edit, "changed", G_CALLBACK(OnChanged), this);
}

TPasswordWindow::~TPasswordWindow() {
  if (FImpl->Timer != 0) g_source_remove(FImpl->Timer);
  g_signal_handlers_disconnect_by_data(FImpl->Window, this);
  g_signal_handlers_disconnect_by_data(FImpl->Edit, this);
  gtk_widget_destroy(FImpl->Window);
  while (gtk_events_pending()) gtk_main_iteration();
}

void TPasswordWindow::SetCaption(const String& caption) {
  gtk_window_set_title(GTK_WINDOW(FImpl->Window), ToUtf8(caption).c_str());
}

String TPasswordWindow::Text() const { return FromUtf8(gtk_entry_get_text(GTK_ENTRY(FImpl->Edit))); }

int TPasswordWindow::ShowModal() {
  // A request to end the process cancels the dialog, as closing it would.
  if (TerminationRequested()) return mrCancel;
  FImpl->Result = mrNone;
  StyleWindowBeforeShow(GTK_WINDOW(FImpl->Window));
  gtk_widget_show_all(FImpl->Window);
  gtk_widget_grab_focus(FImpl->Edit);
  gtk_window_present(GTK_WINDOW(FImpl->Window));
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  FImpl->Loop = loop;
  {
    const TTerminationWatch watch([this] { SetModalResult(mrCancel); });
    if (FImpl->Result == mrNone) g_main_loop_run(loop);
  }
  FImpl->Loop = nullptr;
  g_main_loop_unref(loop);
  gtk_widget_hide(FImpl->Window);
  return FImpl->Result;
}

void TPasswordWindow::SetModalResult(int result) {
  FImpl->Result = result;
  if (FImpl->Loop != nullptr && result != mrNone) g_main_loop_quit(FImpl->Loop);
}

void TPasswordWindow::SetModalResultAfter(int result, int milliseconds) {
  if (FImpl->Timer != 0) return;
  FImpl->DelayedResult = result;
  FImpl->Timer = g_timeout_add(
      static_cast<guint>(milliseconds),
      [](gpointer data) -> gboolean {
        auto* self = static_cast<TPasswordWindow*>(data);
        self->FImpl->Timer = 0;
        self->SetModalResult(self->FImpl->DelayedResult);
        return G_SOURCE_REMOVE;
      },
      this);
}

}  // namespace lumora
