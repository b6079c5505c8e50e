// Top-level windows as GtkWindows. Border styles become decorations, type
// hints and the resizable flag; size limits become geometry hints.
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <algorithm>
#include <climits>

#include "platform/BrowserView.h"
#include "platform/FormWindow.h"
#include "core/HandlerGuard.h"
#include "platform/linux/StyleThemeLinux.h"
#include "platform/linux/KeyCodes.h"

namespace lumora {

struct TFormWindow::TImpl {
  GtkWidget* Window = nullptr;
  GtkWidget* Content = nullptr;
  String Caption;
  // The size and position last asked for: GTK reports the old ones until
  // the window has been configured again.
  int Left = 0, Top = 0, Width = 0, Height = 0;
  bool Resizable = true;

  // A window that is not resizable takes its size request as its size, so
  // the asked-for size becomes the request there.
  void ApplySize() {
    if (Width > 0 && Height > 0) {
      Width = std::clamp(Width, std::max(MinWidth, 1), MaxWidth > 0 ? MaxWidth : SHRT_MAX);
      Height = std::clamp(Height, std::max(MinHeight, 1), MaxHeight > 0 ? MaxHeight : SHRT_MAX);
    }
    const int width = std::max(Width, 1), height = std::max(Height, 1);
    GdkGeometry geometry{};
    if (Resizable) {
      gtk_widget_set_size_request(Window, -1, -1);
      geometry.min_width = std::max(MinWidth, 1);
      geometry.min_height = std::max(MinHeight, 1);
      geometry.max_width = MaxWidth > 0 ? MaxWidth : SHRT_MAX;
      geometry.max_height = MaxHeight > 0 ? MaxHeight : SHRT_MAX;
    } else {
      gtk_widget_set_size_request(Window, width, height);
      geometry.min_width = geometry.max_width = width;
      geometry.min_height = geometry.max_height = height;
    }
    gtk_window_set_geometry_hints(GTK_WINDOW(Window), nullptr, &geometry,
                                  static_cast<GdkWindowHints>(GDK_HINT_MIN_SIZE | GDK_HINT_MAX_SIZE));
    if (Width > 0 && Height > 0) gtk_window_resize(GTK_WINDOW(Window), width, height);
  }
  // Size limits; 0 for none.
  int MinWidth = 0, MaxWidth = 0, MinHeight = 0, MaxHeight = 0;
  bool Closing = false;
};

namespace {

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
  auto* self = static_cast<TFormWindow*>(data);
  RunHandler([self] { self->Close(); });
  return TRUE;
}

// Keys whose focus is in a web view are that view's: it raises them itself.
bool FocusInBrowser(GtkWindow* window) {
  for (GtkWidget* focus = gtk_window_get_focus(window); focus != nullptr; focus = gtk_widget_get_parent(focus)) {
    if (WEBKIT_IS_WEB_VIEW(focus)) return true;
  }
  return false;
}

gboolean OnKeyPress(GtkWidget* widget, GdkEventKey* event, gpointer data) {
  auto* self = static_cast<TFormWindow*>(data);
  if (!self->OnKeyDown || FocusInBrowser(GTK_WINDOW(widget))) return FALSE;
  const int key = VirtualKeyOf(event->keyval);
  RunHandler([self, key] { self->OnKeyDown(key); });
  return FALSE;
}

}  // namespace

TFormWindow::TFormWindow() : FImpl(std::make_unique<TImpl>()) {
  gtk_init_check(nullptr, nullptr);
  FImpl->Window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  g_object_ref_sink(FImpl->Window);
  g_signal_connect(FImpl->Window, "delete-event", G_CALLBACK(OnDelete), this);
  g_signal_connect(FImpl->Window, "key-press-event", G_CALLBACK(OnKeyPress), this);
}

TFormWindow::~TFormWindow() {
  g_signal_handlers_disconnect_by_data(FImpl->Window, this);
  RemoveContent();
  gtk_widget_destroy(FImpl->Window);
  g_object_unref(FImpl->Window);
}

void TFormWindow::SetCaption(const String& caption) {
  FImpl->Caption = caption;
  gtk_window_set_title(GTK_WINDOW(FImpl->Window), ToUtf8(caption).c_str());
}

String TFormWindow::Caption() const { return FImpl->Caption; }

void TFormWindow::SetBorderStyle(int style) {
  GtkWindow* window = GTK_WINDOW(FImpl->Window);
  bool decorated = true, resizable = true;
  GdkWindowTypeHint hint = GDK_WINDOW_TYPE_HINT_NORMAL;
  switch (style) {
    case bsNone: decorated = false; resizable = false; break;
    case bsSingle: resizable = false; break;
    case bsDialog: resizable = false; hint = GDK_WINDOW_TYPE_HINT_DIALOG; break;
    case bsToolWindow: resizable = false; hint = GDK_WINDOW_TYPE_HINT_UTILITY; break;
    case bsSizeToolWin: hint = GDK_WINDOW_TYPE_HINT_UTILITY; break;
    default: break;  // bsSizeable and values without a style of their own
  }
  gtk_window_set_decorated(window, decorated);
  gtk_window_set_resizable(window, resizable);
  FImpl->Resizable = resizable;
  FImpl->ApplySize();
  gtk_window_set_type_hint(window, hint);
}

void TFormWindow::SetLeft(int value) {
  FImpl->Left = value;
  gtk_window_move(GTK_WINDOW(FImpl->Window), FImpl->Left, FImpl->Top);
}

void TFormWindow::SetTop(int value) {
  FImpl->Top = value;
  gtk_window_move(GTK_WINDOW(FImpl->Window), FImpl->Left, FImpl->Top);
}

void TFormWindow::SetWidth(int value) {
  FImpl->Width = std::max(value, 1);
  FImpl->ApplySize();
}

void TFormWindow::SetHeight(int value) {
  FImpl->Height = std::max(value, 1);
  FImpl->ApplySize();
}

void TFormWindow::SetSizeConstraints(int minWidth, int maxWidth, int minHeight, int maxHeight) {
  FImpl->MinWidth = minWidth;
  FImpl->MaxWidth = maxWidth;
  FImpl->MinHeight = minHeight;
  FImpl->MaxHeight = maxHeight;
  FImpl->ApplySize();
}

void TFormWindow::SetStayOnTop(bool value) { gtk_window_set_keep_above(GTK_WINDOW(FImpl->Window), value); }

void TFormWindow::SetMaximized(bool value) {
  if (value) {
    gtk_window_maximize(GTK_WINDOW(FImpl->Window));
    // Without a window manager nothing would maximise the window: size it
    // to the monitor's work area as well.
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = display ? gdk_display_get_primary_monitor(display) : nullptr;
    if (monitor == nullptr && display) monitor = gdk_display_get_monitor(display, 0);
    if (monitor != nullptr) {
      GdkRectangle area{};
      gdk_monitor_get_workarea(monitor, &area);
      SetLeft(area.x);
      SetTop(area.y);
      SetWidth(area.width);
      SetHeight(area.height);
    }
  } else {
    gtk_window_unmaximize(GTK_WINDOW(FImpl->Window));
  }
}

void TFormWindow::SetCentered(bool value) {
  gtk_window_set_position(GTK_WINDOW(FImpl->Window), value ? GTK_WIN_POS_CENTER : GTK_WIN_POS_NONE);
}

void TFormWindow::SetContent(TBrowserView& view) {
  RemoveContent();
  FImpl->Content = static_cast<GtkWidget*>(view.NativeHandle());
  gtk_container_add(GTK_CONTAINER(FImpl->Window), FImpl->Content);
  gtk_widget_show(FImpl->Content);
}

void TFormWindow::RemoveContent() {
  if (FImpl->Content == nullptr) return;
  if (gtk_widget_get_parent(FImpl->Content) == FImpl->Window) {
    gtk_container_remove(GTK_CONTAINER(FImpl->Window), FImpl->Content);
  }
  FImpl->Content = nullptr;
}

void TFormWindow::Show() {
  StyleWindowBeforeShow(GTK_WINDOW(FImpl->Window));
  gtk_widget_show(FImpl->Window);
}

void TFormWindow::Hide() { gtk_widget_hide(FImpl->Window); }

void TFormWindow::BringToFront() {
  StyleWindowBeforeShow(GTK_WINDOW(FImpl->Window));
  gtk_widget_show(FImpl->Window);
  gtk_window_present(GTK_WINDOW(FImpl->Window));
}

bool TFormWindow::Visible() const { return gtk_widget_get_visible(FImpl->Window); }

void TFormWindow::Minimize() { gtk_window_iconify(GTK_WINDOW(FImpl->Window)); }

void TFormWindow::Restore() {
  gtk_window_deiconify(GTK_WINDOW(FImpl->Window));
  gtk_window_present(GTK_WINDOW(FImpl->Window));
}

void TFormWindow::Close() {
  // A close request raised while the close query is still asking the page
  // (the page's own window.close, a second Escape) is the same request.
  if (FImpl->Closing) return;
  FImpl->Closing = true;
  bool canClose = true;
  try {
    if (OnCloseQuery) canClose = OnCloseQuery();
    if (canClose) {
      if (OnClose) OnClose();
      Hide();
    }
  } catch (...) {
    FImpl->Closing = false;
    throw;
  }
  FImpl->Closing = false;
}

void* TFormWindow::NativeHandle() const { return FImpl->Window; }

}  // namespace lumora
