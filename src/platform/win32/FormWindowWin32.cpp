// Forms are not built yet on Windows: the backend implements the hooks of
// platform/FormWindow.h.
#include "platform/FormWindow.h"
#include "os/win32/NotSupportedWin32.h"

namespace lumora {

std::unique_ptr<TFormWindow> TFormWindow::Create() { RaiseNotSupported(); }

}  // namespace lumora
