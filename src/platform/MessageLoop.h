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
