// The process's one user-interface message loop.
#pragma once

namespace lumora {

// Prepares the windowing system; false when no window can be shown (no
// display; on Windows, until its windows are built). Safe to call more
// than once.
bool InitializeWindowing();

// Dispatches events until TerminateMessageLoop is called.
void RunMessageLoop();
void TerminateMessageLoop();

}  // namespace lumora
