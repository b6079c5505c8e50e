// Forms are not built yet on Windows.
#include "platform/FormWindow.h"
#include "os/win32/NotSupportedWin32.h"

namespace lumora {

struct TFormWindow::TImpl {};

TFormWindow::TFormWindow() { RaiseNotSupported(); }
TFormWindow::~TFormWindow() = default;
void TFormWindow::SetCaption(const String&) { RaiseNotSupported(); }
String TFormWindow::Caption() const { return {}; }
void TFormWindow::SetBorderStyle(int) { RaiseNotSupported(); }
void TFormWindow::SetLeft(int) { RaiseNotSupported(); }
void TFormWindow::SetTop(int) { RaiseNotSupported(); }
void TFormWindow::SetWidth(int) { RaiseNotSupported(); }
void TFormWindow::SetHeight(int) { RaiseNotSupported(); }
void TFormWindow::SetSizeConstraints(int, int, int, int) { RaiseNotSupported(); }
void TFormWindow::SetStayOnTop(bool) { RaiseNotSupported(); }
void TFormWindow::SetMaximized(bool) { RaiseNotSupported(); }
void TFormWindow::SetCentered(bool) { RaiseNotSupported(); }
void TFormWindow::SetContent(TBrowserView&) { RaiseNotSupported(); }
void TFormWindow::RemoveContent() {}
void TFormWindow::Show() { RaiseNotSupported(); }
void TFormWindow::Hide() { RaiseNotSupported(); }
void TFormWindow::BringToFront() { RaiseNotSupported(); }
bool TFormWindow::Visible() const { return false; }
void TFormWindow::Minimize() { RaiseNotSupported(); }
void TFormWindow::Restore() { RaiseNotSupported(); }
void TFormWindow::Close() { RaiseNotSupported(); }
void* TFormWindow::NativeHandle() const { return nullptr; }

}  // namespace lumora
