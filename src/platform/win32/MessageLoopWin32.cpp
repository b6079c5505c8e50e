// The thread's message loop.
#include <windows.h>

#include "platform/MessageLoop.h"

namespace lumora {

bool InitializeWindowing() { return true; }

// A GUI program learns of the session's end from WM_ENDSESSION, which
// reaches the main window once there is one.
void WatchTerminationSignals() {}

void WatchReloadRequests(void (*)()) {}

void RunMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Keys go first to the open windows, which hand a browser's keys to
    // that browser (FormWindowWin32).
    const bool key = message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST;
    if (key && PreDispatchKeyMessage(&message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void TerminateMessageLoop() { PostQuitMessage(0); }

}  // namespace lumora
