#include "platform/linux/ModalDialog.h"

#include "core/TerminationRequest.h"
#include "platform/linux/TerminationWatch.h"

namespace lumora {

namespace {

void CloseDialog(GtkDialog* dialog) { gtk_dialog_response(dialog, GTK_RESPONSE_DELETE_EVENT); }

// Calls visit with each modal dialog that shows; stops at one for which it
// returns false.
template <typename Visit>
void ForEachModalDialog(Visit visit) {
  GList* windows = gtk_window_list_toplevels();
  for (GList* item = windows; item != nullptr; item = item->next) {
    auto* window = GTK_WINDOW(item->data);
    if (GTK_IS_DIALOG(window) && gtk_window_get_modal(window) && gtk_widget_get_visible(GTK_WIDGET(window))) {
      if (!visit(GTK_DIALOG(window))) break;
    }
  }
  g_list_free(windows);
}

}  // namespace

int RunModalDialog(GtkDialog* dialog) {
  if (TerminationRequested()) return GTK_RESPONSE_DELETE_EVENT;
  const TTerminationWatch watch([dialog] { CloseDialog(dialog); });
  return gtk_dialog_run(dialog);
}

bool ModalDialogShows() {
  bool shows = false;
  ForEachModalDialog([&shows](GtkDialog*) {
    shows = true;
    return false;
  });
  return shows;
}

void RunForeignModalDialog(const std::function<void()>& run) {
  if (TerminationRequested()) return;
  const TTerminationWatch watch([] {
    ForEachModalDialog([](GtkDialog* dialog) {
      CloseDialog(dialog);
      return true;
    });
  });
  run();
}

}  // namespace lumora
