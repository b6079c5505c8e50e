// The thread's Windows message loop as WaitUntil's step
// (support/TestSupport.h), for the Windows tests that wait for what comes
// as a message.
#pragma once

#include <windows.h>

namespace lumora::test {

// Waits up to 20 ms for a message, then dispatches all that came.
inline void RunMessagesOnce() {
  ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

}  // namespace lumora::test
