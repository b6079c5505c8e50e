// The save dialog as a GTK file chooser that asks before replacing a file.
//
// GTK's own question looks at the name as typed, before the default
// extension is added: "copy" would replace copy.zip without a word. The
// question is therefore asked here, about the name that will be written.
#include <gtk/gtk.h>

#include <cstring>
#include <string>

#include "platform/SaveDialog.h"
#include "os/linux/GLibPtr.h"
#include "platform/linux/ModalDialog.h"
#include "platform/linux/style/StyledWindowsGtk.h"

namespace lumora {

namespace {

// Asks, as GTK's own question does, whether to replace the file at path.
bool ConfirmReplace(GtkWindow* parent, const std::string& path) {
  TGCharPtr name(g_path_get_basename(path.c_str()));
  TGCharPtr folder(g_path_get_dirname(path.c_str()));
  TGCharPtr folderName(g_path_get_basename(folder.get()));
  GtkWidget* question = gtk_message_dialog_new(
      parent, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), GTK_MESSAGE_QUESTION,
      GTK_BUTTONS_NONE, "A file named \u201C%s\u201D already exists.  Do you want to replace it?", name.get());
  gtk_message_dialog_format_secondary_text(
      GTK_MESSAGE_DIALOG(question),
      "The file already exists in \u201C%s\u201D.  Replacing it will overwrite its contents.", folderName.get());
  gtk_dialog_add_buttons(GTK_DIALOG(question), "_Cancel", GTK_RESPONSE_CANCEL, "_Replace", GTK_RESPONSE_ACCEPT,
                         nullptr);
  gtk_dialog_set_default_response(GTK_DIALOG(question), GTK_RESPONSE_ACCEPT);
  StyleWindowBeforeShow(GTK_WINDOW(question));
  const bool replace = RunModalDialog(GTK_DIALOG(question)) == GTK_RESPONSE_ACCEPT;
  gtk_widget_destroy(question);
  return replace;
}

}  // namespace

bool RunSaveDialog(const String& filter, const String& defaultExt, String& fileName) {
  if (!gtk_init_check(nullptr, nullptr)) return false;
  GtkWidget* dialog = gtk_file_chooser_dialog_new(nullptr, nullptr, GTK_FILE_CHOOSER_ACTION_SAVE, "_Cancel",
                                                  GTK_RESPONSE_CANCEL, "_Save", GTK_RESPONSE_ACCEPT, nullptr);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  gtk_file_chooser_set_do_overwrite_confirmation(chooser, FALSE);
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
  // A name with a folder (the one chosen last) opens the dialog there.
  if (!fileName.empty()) {
    const std::string offered = ToUtf8(fileName);
    TGCharPtr name(g_path_get_basename(offered.c_str()));
    if (g_path_is_absolute(offered.c_str())) {
      TGCharPtr folder(g_path_get_dirname(offered.c_str()));
      gtk_file_chooser_set_current_folder(chooser, folder.get());
    }
    gtk_file_chooser_set_current_name(chooser, name.get());
  }
  bool chosen = false;
  StyleWindowBeforeShow(GTK_WINDOW(dialog));
  while (!chosen && RunModalDialog(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
    TGCharPtr picked(gtk_file_chooser_get_filename(chooser));
    if (!picked) break;
    std::string path = picked.get();
    TGCharPtr base(g_path_get_basename(path.c_str()));
    if (!defaultExt.empty() && std::strchr(base.get(), '.') == nullptr) path += "." + ToUtf8(defaultExt);
    if (g_file_test(path.c_str(), G_FILE_TEST_EXISTS) && !ConfirmReplace(GTK_WINDOW(dialog), path)) {
      // Back to the dialog, with the name that was asked about.
      TGCharPtr asked(g_path_get_basename(path.c_str()));
      gtk_file_chooser_set_current_name(chooser, asked.get());
      continue;
    }
    fileName = FromUtf8(path);
    chosen = true;
  }
  gtk_widget_destroy(dialog);
  while (gtk_events_pending()) gtk_main_iteration();
  return chosen;
}

}  // namespace lumora
