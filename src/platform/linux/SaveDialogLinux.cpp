// The save dialog as a GTK file chooser that asks before replacing a file.
#include <gtk/gtk.h>

#include "platform/SaveDialog.h"
#include "os/linux/GLibPtr.h"
#include "os/linux/ModalDialog.h"
#include "os/linux/style/StyledWindowsGtk.h"

namespace lumora {

bool RunSaveDialog(const String& filter, const String& defaultExt, String& fileName) {
  if (!gtk_init_check(nullptr, nullptr)) return false;
  GtkWidget* dialog = gtk_file_chooser_dialog_new(nullptr, nullptr, GTK_FILE_CHOOSER_ACTION_SAVE, "_Cancel",
                                                  GTK_RESPONSE_CANCEL, "_Save", GTK_RESPONSE_ACCEPT, nullptr);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  gtk_file_chooser_set_do_overwrite_confirmation(chooser, TRUE);
  gtk_window_set_default_size(GTK_WINDOW(dialog), 640, 440);
  gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  // Enter in the name field saves.
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
  // "ZIP|*.zip": pairs of description and pattern.
  const std::string filters = ToUtf8(filter);
  size_t start = 0;
  while (start < filters.size()) {
    const size_t bar = filters.find('|', start);
    if (bar == std::string::npos) break;
    size_t end = filters.find('|', bar + 1);
    if (end == std::string::npos) end = filters.size();
    GtkFileFilter* fileFilter = gtk_file_filter_new();
    gtk_file_filter_set_name(fileFilter, filters.substr(start, bar - start).c_str());
    gtk_file_filter_add_pattern(fileFilter, filters.substr(bar + 1, end - bar - 1).c_str());
    gtk_file_chooser_add_filter(chooser, fileFilter);
    start = end + 1;
  }
  if (!fileName.empty()) gtk_file_chooser_set_current_name(chooser, ToUtf8(fileName).c_str());
  bool chosen = false;
  StyleWindowBeforeShow(GTK_WINDOW(dialog));
  if (RunModalDialog(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
    TGCharPtr path(gtk_file_chooser_get_filename(chooser));
    if (path) {
      fileName = FromUtf8(path.get());
      const size_t slash = fileName.rfind(u'/');
      const String base = slash == String::npos ? fileName : fileName.substr(slash + 1);
      if (!defaultExt.empty() && base.find(u'.') == String::npos) fileName += u"." + defaultExt;
      chosen = true;
    }
  }
  gtk_widget_destroy(dialog);
  while (gtk_events_pending()) gtk_main_iteration();
  return chosen;
}

}  // namespace lumora
