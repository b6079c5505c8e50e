// The thread's message loop.
#include <windows.h>

#include "platform/MessageLoop.h"

namespace lumora {

bool InitializeWindowing() { return true; }

void RunMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void TerminateMessageLoop() { PostQuitMessage(0); }

}  // namespace lumora
