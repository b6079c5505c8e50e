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
    // Keys for a browser reach it (and its key event) before dispatch.
    if (TranslateBrowserAccelerator(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void TerminateMessageLoop() { PostQuitMessage(0); }

}  // namespace lumora
