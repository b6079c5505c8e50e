// The session's end as the windows of the program hear it: every
// top-level window answers WM_QUERYENDSESSION with yes, and the first
// WM_ENDSESSION that ends the session calls EndSession.
#pragma once

namespace lumora {

// Runs the handler WatchSessionEnd was given (through the handler guard),
// the first time only.
void EndSession();

}  // namespace lumora
