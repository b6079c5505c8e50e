// The classic save dialog is not built yet on Windows.
#include "platform/SaveDialog.h"
#include "os/win32/NotSupportedWin32.h"

namespace lumora {

bool RunSaveDialog(const String&, const String&, String&) { RaiseNotSupported(); }

}  // namespace lumora
