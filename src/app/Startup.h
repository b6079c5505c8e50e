// The process itself: the process-wide objects built in a fixed order
// before the main window, the message loop, and their release in reverse.
#pragma once

namespace lumora {

// Runs the whole program and returns the process exit code: 0 after a
// normal end or an immediate exit requested during start-up, 217 when an
// error escapes the creation of a process-wide object.
int RunApplication();

}  // namespace lumora
