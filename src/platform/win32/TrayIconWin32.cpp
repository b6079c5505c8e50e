// The notification-area icon is not built yet on Windows.
#include "platform/TrayIcon.h"
#include "os/win32/NotSupportedWin32.h"

namespace lumora {

struct TTrayIcon::TImpl {};

TTrayIcon::TTrayIcon() { RaiseNotSupported(); }
TTrayIcon::~TTrayIcon() = default;
void TTrayIcon::SetVisible(bool) { RaiseNotSupported(); }
bool TTrayIcon::Visible() const { return false; }
void TTrayIcon::SetHint(const String&) { RaiseNotSupported(); }
String TTrayIcon::Hint() const { return {}; }

}  // namespace lumora
