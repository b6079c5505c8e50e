// The thread's message loop.
#include <windows.h>

#include "platform/MessageLoop.h"
#include "platform/win32/browser/WebBrowserHost.h"

namespace lumora {

// The forms and the browser host are not built for Windows yet: the
// program ends after start-up instead of failing in every window.
bool InitializeWindowing() { return false; }

// A GUI program learns of the session's end from WM_ENDSESSION, which
// reaches the main window once there is one.
void WatchTerminationSignals() {}

void RunMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Keys go first to the open windows (PreDispatchKeyMessage), then to
    // the browser they are for (its accelerators and key event).
    const bool key = message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST;
    if (key && (PreDispatchKeyMessage(&message) || TranslateBrowserAccelerator(message))) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void TerminateMessageLoop() { PostQuitMessage(0); }

}  // namespace lumora
