#include "os/linux/ModalDialog.h"

#include "core/TerminationRequest.h"
#include "os/linux/TerminationWatch.h"

namespace lumora {

namespace {

void CloseDialog(GtkDialog* dialog) { gtk_dialog_response(dialog, GTK_RESPONSE_DELETE_EVENT); }

}  // namespace

int RunModalDialog(GtkDialog* dialog) {
  if (TerminationRequested()) return GTK_RESPONSE_DELETE_EVENT;
  const TTerminationWatch watch([dialog] { CloseDialog(dialog); });
  return gtk_dialog_run(dialog);
}

void RunForeignModalDialog(const std::function<void()>& run) {
  if (TerminationRequested()) return;
  const TTerminationWatch watch([] {
    GList* windows = gtk_window_list_toplevels();
    for (GList* item = windows; item != nullptr; item = item->next) {
      auto* window = GTK_WINDOW(item->data);
      if (GTK_IS_DIALOG(window) && gtk_window_get_modal(window) && gtk_widget_get_visible(GTK_WIDGET(window))) {
        CloseDialog(GTK_DIALOG(window));
      }
    }
    g_list_free(windows);
  });
  run();
}

}  // namespace lumora
