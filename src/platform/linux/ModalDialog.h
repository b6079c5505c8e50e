// The modal loops of GTK dialogs, ended by a termination request as the
// user's close would end them, so that the program can then end in order.
// Every dialog of the program that runs its own loop goes through here.
#pragma once

#include <gtk/gtk.h>

#include <functional>

namespace lumora {

// gtk_dialog_run: shows the dialog and returns its response;
// GTK_RESPONSE_DELETE_EVENT when a termination request ended it, or
// without showing it when a request is pending already.
int RunModalDialog(GtkDialog* dialog);

// For a library call that shows a dialog of its own and returns once that
// dialog is answered (WebKit's print dialog): a termination request closes
// every modal dialog that shows. Not called at all when a request is
// pending already.
void RunForeignModalDialog(const std::function<void()>& run);

// Whether a modal dialog of the program shows (a page's alert, confirm or
// prompt, the print or save dialog): someone is being asked.
bool ModalDialogShows();

}  // namespace lumora
