// The thread's message loop.
#include <windows.h>

#include "core/HandlerGuard.h"
#include "platform/MessageLoop.h"
#include "platform/win32/SessionEnd.h"
#include "platform/win32/browser/WebBrowserHost.h"

namespace lumora {

bool InitializeWindowing() { return true; }

// A GUI program learns of the session's end from WM_ENDSESSION, which
// reaches the main window once there is one (WatchSessionEnd).
void WatchTerminationSignals() {}

void WatchReloadRequests(void (*)()) {}

namespace {

struct TSessionEndWatch {
  void (*OnSessionEnd)() = nullptr;
  bool Ended = false;
};

TSessionEndWatch& SessionEndWatch() {
  static TSessionEndWatch watch;
  return watch;
}

}  // namespace

void WatchSessionEnd(void (*onSessionEnd)()) { SessionEndWatch() = TSessionEndWatch{onSessionEnd, false}; }

void EndSession() {
  TSessionEndWatch& watch = SessionEndWatch();
  if (watch.Ended || !watch.OnSessionEnd) return;
  watch.Ended = true;
  RunHandler(watch.OnSessionEnd);
}

void RunMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Keys go first to the open windows, which hand a browser's keys to
    // that browser (FormWindowWin32).
    const bool key = message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST;
    if (key && PreDispatchKeyMessage(&message)) continue;
    // A click on a link reaches the browser too, which notes where it went.
    NoteBrowserMouse(message);
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void TerminateMessageLoop() { PostQuitMessage(0); }

}  // namespace lumora
