// Message boxes as GTK message dialogs. The title is the caption, so tests
// and window managers find the box by the same name as on Windows; Ctrl+C
// copies the box's text, as it does there.
#include <gtk/gtk.h>

#include <cstdio>
#include <string>

#include "platform/MessageBox.h"
#include "platform/linux/ModalDialog.h"
#include "platform/linux/style/StyledWindowsGtk.h"

namespace lumora {

namespace {

constexpr char kRule[] = "---------------------------\n";

// Ctrl+C (or Ctrl+Insert) copies the whole box as text, laid out as a
// Windows message box copies itself: caption, text and button between
// dashed lines.
gboolean OnBoxKey(GtkWidget* dialog, GdkEventKey* event, gpointer data) {
  const guint modifiers = event->state & gtk_accelerator_get_default_mod_mask();
  const guint key = gdk_keyval_to_lower(event->keyval);
  if (modifiers != GDK_CONTROL_MASK || (key != GDK_KEY_c && key != GDK_KEY_Insert)) return FALSE;
  gchar* text = nullptr;
  g_object_get(dialog, "text", &text, nullptr);
  const std::string copy = std::string(kRule) + gtk_window_get_title(GTK_WINDOW(dialog)) + "\n" + kRule +
                           (text ? text : "") + "\n" + kRule + static_cast<const char*>(data) + "\n" + kRule;
  g_free(text);
  gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), copy.c_str(), static_cast<gint>(copy.size()));
  return TRUE;
}

}  // namespace

void ShowMessageBox(const String& text, const String& caption, uint32_t flags) {
  if (!gtk_init_check(nullptr, nullptr)) {
    std::fprintf(stderr, "%s: %s\n", ToUtf8(caption).c_str(), ToUtf8(text).c_str());
    return;
  }
  const GtkMessageType type = (flags & mbIconError) ? GTK_MESSAGE_ERROR : GTK_MESSAGE_OTHER;
  GtkWidget* dialog =
      gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, type, (flags & mbClose) ? GTK_BUTTONS_CLOSE : GTK_BUTTONS_OK,
                             "%s", ToUtf8(text).c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), ToUtf8(caption).c_str());
  gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
  g_signal_connect(dialog, "key-press-event", G_CALLBACK(OnBoxKey),
                   const_cast<char*>((flags & mbClose) ? "Close" : "OK"));
  StyleWindowBeforeShow(GTK_WINDOW(dialog));
  RunModalDialog(GTK_DIALOG(dialog));
  gtk_widget_destroy(dialog);
  // Let the destroyed window leave the screen before the caller goes on.
  while (gtk_events_pending()) gtk_main_iteration();
}

}  // namespace lumora
