// The thread's message loop.
#include <windows.h>

#include "platform/MessageLoop.h"

namespace lumora {

// The forms and the browser host are not built for Windows yet: the
// program ends after start-up instead of failing in every window.
bool InitializeWindowing() { return false; }

void RunMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    const bool key = message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST;
    if (key && PreDispatchKeyMessage(&message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void TerminateMessageLoop() { PostQuitMessage(0); }

}  // namespace lumora
