// Top-level windows as GtkWindows. Border styles become decorations, type
// hints and the resizable flag; size limits become geometry hints.
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include "platform/FormWindow.h"
#include "core/HandlerGuard.h"
#include "os/linux/KeyCodes.h"
#include "platform/linux/style/StyledWindowsGtk.h"

namespace lumora {

namespace {

// Keys whose focus is in a web view are that view's: it raises them itself.
bool FocusInBrowser(GtkWindow* window) {
  for (GtkWidget* focus = gtk_window_get_focus(window); focus != nullptr; focus = gtk_widget_get_parent(focus)) {
    if (WEBKIT_IS_WEB_VIEW(focus)) return true;
  }
  return false;
}

class TFormWindowLinux final : public TFormWindow {
 public:
  TFormWindowLinux() {
    gtk_init_check(nullptr, nullptr);
    FWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    g_object_ref_sink(FWindow);
    g_signal_connect(FWindow, "delete-event", G_CALLBACK(OnDelete), this);
    g_signal_connect(FWindow, "key-press-event", G_CALLBACK(OnKeyPress), this);
  }

  ~TFormWindowLinux() override {
    g_signal_handlers_disconnect_by_data(FWindow, this);
    RemoveContent();
    gtk_widget_destroy(FWindow);
    g_object_unref(FWindow);
  }

 protected:
  void SetCaptionImpl(const String& caption) override { gtk_window_set_title(Window(), ToUtf8(caption).c_str()); }

  void SetFrameImpl(const TWindowFrame& frame) override {
    gtk_window_set_decorated(Window(), frame.Decorated);
    gtk_window_set_resizable(Window(), frame.Resizable);
    GdkWindowTypeHint hint = GDK_WINDOW_TYPE_HINT_NORMAL;
    if (frame.Kind == TWindowFrame::Dialog) hint = GDK_WINDOW_TYPE_HINT_DIALOG;
    if (frame.Kind == TWindowFrame::Utility) hint = GDK_WINDOW_TYPE_HINT_UTILITY;
    gtk_window_set_type_hint(Window(), hint);
  }

  // A window that is not resizable takes its size request as its size, so
  // the one size becomes the request there.
  void SetSizeImpl(const TWindowSize& size, const TWindowFrame& frame) override {
    if (frame.Resizable) {
      gtk_widget_set_size_request(FWindow, -1, -1);
    } else {
      gtk_widget_set_size_request(FWindow, size.MinWidth, size.MinHeight);
    }
    GdkGeometry geometry{};
    geometry.min_width = size.MinWidth;
    geometry.min_height = size.MinHeight;
    geometry.max_width = size.MaxWidth;
    geometry.max_height = size.MaxHeight;
    gtk_window_set_geometry_hints(Window(), nullptr, &geometry,
                                  static_cast<GdkWindowHints>(GDK_HINT_MIN_SIZE | GDK_HINT_MAX_SIZE));
    if (size.Width > 0 && size.Height > 0) gtk_window_resize(Window(), size.Width, size.Height);
  }

  void MoveImpl(int left, int top) override { gtk_window_move(Window(), left, top); }

  void SetStayOnTopImpl(bool value) override { gtk_window_set_keep_above(Window(), value); }

  void SetMaximizedImpl(bool value) override {
    if (!value) {
      gtk_window_unmaximize(Window());
      return;
    }
    gtk_window_maximize(Window());
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
  }

  void SetCenteredImpl(bool value) override {
    gtk_window_set_position(Window(), value ? GTK_WIN_POS_CENTER : GTK_WIN_POS_NONE);
  }

  void SetContentImpl(void* nativeView) override {
    auto* content = static_cast<GtkWidget*>(nativeView);
    gtk_container_add(GTK_CONTAINER(FWindow), content);
    gtk_widget_show(content);
  }

  void RemoveContentImpl(void* nativeView) override {
    auto* content = static_cast<GtkWidget*>(nativeView);
    if (gtk_widget_get_parent(content) == FWindow) gtk_container_remove(GTK_CONTAINER(FWindow), content);
  }

  void ShowImpl() override {
    StyleWindowBeforeShow(Window());
    gtk_widget_show(FWindow);
  }
  void HideImpl() override { gtk_widget_hide(FWindow); }

  void BringToFrontImpl() override {
    StyleWindowBeforeShow(Window());
    gtk_widget_show(FWindow);
    gtk_window_present(Window());
  }

  bool VisibleImpl() const override { return gtk_widget_get_visible(FWindow); }
  void MinimizeImpl() override { gtk_window_iconify(Window()); }

  void RestoreImpl() override {
    gtk_window_deiconify(Window());
    gtk_window_present(Window());
  }

  void* NativeHandleImpl() const override { return FWindow; }

 private:
  GtkWindow* Window() const { return GTK_WINDOW(FWindow); }

  static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
    auto* self = static_cast<TFormWindowLinux*>(data);
    RunHandler([self] { self->Close(); });
    return TRUE;
  }

  static gboolean OnKeyPress(GtkWidget* widget, GdkEventKey* event, gpointer data) {
    auto* self = static_cast<TFormWindowLinux*>(data);
    if (!self->OnKeyDown || FocusInBrowser(GTK_WINDOW(widget))) return FALSE;
    const int key = VirtualKeyOf(event->keyval);
    RunHandler([self, key] { self->OnKeyDown(key); });
    return FALSE;
  }

  GtkWidget* FWindow = nullptr;
};

}  // namespace

std::unique_ptr<TFormWindow> TFormWindow::Create() { return std::make_unique<TFormWindowLinux>(); }

}  // namespace lumora
