// The process's one user-interface message loop.
#pragma once

namespace lumora {

// Watches for requests to end the process from outside (Linux: SIGTERM,
// SIGINT, SIGHUP) from the first moment on, before any temporary file
// exists: a request is noted at once (TerminationRequested), ends the
// message loop and the modal loops of the program's own dialogs, and
// start-up's long steps stop at it. Safe to call more than once.
void WatchTerminationSignals();

// Prepares the windowing system; false when no window can be shown (no
// display; on Windows, until its windows are built). Safe to call more
// than once.
bool InitializeWindowing();

// Calls onReload on the user-interface thread whenever the process is
// asked to reload its site (Linux: SIGUSR2, which the preview's --watch
// sends). Windows has no such request: nothing is watched.
void WatchReloadRequests(void (*onReload)());

// Calls onSessionEnd when the user's session ends (Windows: log-off or
// shutdown, WM_ENDSESSION reaching a window of the program), at most once.
// The system may end the process at any moment after it returns, without
// the message loop returning: it runs what the program's end would run.
// Linux: the session's end is a termination signal (see above); nothing is
// watched.
void WatchSessionEnd(void (*onSessionEnd)());

// Dispatches events until TerminateMessageLoop is called.
void RunMessageLoop();
void TerminateMessageLoop();

// The loop's pre-dispatch hook for keys: each key message (Windows: the
// MSG of WM_KEYDOWN to WM_SYSDEADCHAR; Linux: the GdkEvent of a key press
// or release) is offered to the open windows (TFormWindow::OpenWindows),
// oldest first, before it is dispatched; true when one of them took it, and
// then it is not dispatched. The Windows browser control and dialogs need
// their keys this way (TranslateAccelerator, IsDialogMessage).
bool PreDispatchKeyMessage(void* nativeMessage);

}  // namespace lumora
