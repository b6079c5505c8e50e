// The process's one user-interface message loop.
#pragma once

namespace lumora {

// Prepares the windowing system; false when there is no display. Safe to
// call more than once.
bool InitializeWindowing();

// Dispatches events until TerminateMessageLoop is called.
void RunMessageLoop();
void TerminateMessageLoop();

}  // namespace lumora
