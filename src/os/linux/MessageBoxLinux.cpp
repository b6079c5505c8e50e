// Message boxes as GTK message dialogs. The title is the caption, so tests
// and window managers find the box by the same name as on Windows.
#include <gtk/gtk.h>

#include <cstdio>

#include "core/os/MessageBox.h"
#include "os/linux/ModalDialog.h"
#include "os/linux/style/StyledWindowsGtk.h"

namespace lumora {

void ShowMessageBox(const String& text, const String& caption, uint32_t flags) {
  if (!gtk_init_check(nullptr, nullptr)) {
    std::fprintf(stderr, "%s: %s\n", ToUtf8(caption).c_str(), ToUtf8(text).c_str());
    return;
  }
  const GtkMessageType type = (flags & mbIconError) ? GTK_MESSAGE_ERROR : GTK_MESSAGE_OTHER;
  GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, type,
                                             (flags & mbClose) ? GTK_BUTTONS_CLOSE : GTK_BUTTONS_OK,
                                             "%s", ToUtf8(text).c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), ToUtf8(caption).c_str());
  gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
  StyleWindowBeforeShow(GTK_WINDOW(dialog));
  RunModalDialog(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  // Let the destroyed window leave the screen before the caller goes on.
  while (gtk_events_pending()) gtk_main_iteration();
}

}  // namespace lumora
