// The password dialog is not built yet on Windows.
#include "platform/PasswordWindow.h"
#include "os/win32/NotSupportedWin32.h"

namespace lumora {

struct TPasswordWindow::TImpl {};

TPasswordWindow::TPasswordWindow() { RaiseNotSupported(); }
TPasswordWindow::~TPasswordWindow() = default;
void TPasswordWindow::SetCaption(const String&) { RaiseNotSupported(); }
String TPasswordWindow::Text() const { return {}; }
int TPasswordWindow::ShowModal() { RaiseNotSupported(); }
void TPasswordWindow::SetModalResult(int) { RaiseNotSupported(); }

}  // namespace lumora
