// Driving the program's GTK dialogs from a test: steps that run from the
// main loop while the code under test runs a dialog's modal loop.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <vector>

namespace lumora::test {

// The first visible top-level window for which test is true, or nullptr.
inline GtkWindow* ShownWindow(const std::function<bool(GtkWindow*)>& test) {
  GtkWindow* found = nullptr;
  GList* windows = gtk_window_list_toplevels();
  for (GList* item = windows; item != nullptr && found == nullptr; item = item->next) {
    auto* window = GTK_WINDOW(item->data);
    if (gtk_widget_get_visible(GTK_WIDGET(window)) && test(window)) found = window;
  }
  g_list_free(windows);
  return found;
}

inline GtkWindow* ShownSaveDialog() {
  return ShownWindow([](GtkWindow* w) { return GTK_IS_FILE_CHOOSER_DIALOG(w); });
}
inline GtkWindow* ShownMessageDialog() {
  return ShownWindow([](GtkWindow* w) { return GTK_IS_MESSAGE_DIALOG(w); });
}

// Steps run one after the other from the main loop while the code under
// test runs its modal loop: each is retried every 50 ms until it answers
// true. When a step does not come true within ten seconds every dialog
// that shows is cancelled, so that the modal loop ends and the test fails
// instead of hanging.
class TDialogScript {
 public:
  explicit TDialogScript(std::vector<std::function<bool()>> steps) : FSteps(std::move(steps)) {
    FSource = g_timeout_add(50, &TDialogScript::Tick, this);
  }
  ~TDialogScript() {
    if (FSource != 0) g_source_remove(FSource);
  }
  TDialogScript(const TDialogScript&) = delete;
  TDialogScript& operator=(const TDialogScript&) = delete;

  // How many steps came true.
  size_t Done() const { return FNext; }

 private:
  static gboolean Tick(gpointer data) {
    auto* self = static_cast<TDialogScript*>(data);
    if (self->FNext < self->FSteps.size() && self->FSteps[self->FNext]()) {
      ++self->FNext;
      self->FTicks = 0;
    } else if (++self->FTicks > 200) {
      while (GtkWindow* dialog = ShownWindow([](GtkWindow* w) { return GTK_IS_DIALOG(w); })) {
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
        gtk_widget_hide(GTK_WIDGET(dialog));
      }
      self->FTicks = 0;
    }
    return G_SOURCE_CONTINUE;
  }

  std::vector<std::function<bool()>> FSteps;
  size_t FNext = 0;
  int FTicks = 0;
  guint FSource = 0;
};

}  // namespace lumora::test
