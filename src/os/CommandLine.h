// The running process's command line as one text, the program's own name
// first, as Windows hands it to a program. Windows: GetCommandLineW.
// Linux: the arguments of /proc/self/cmdline joined back into one text with
// JoinCommandLine (core/CommandLineParams.h), so that pages splitting it
// see the same arguments on both platforms.
#pragma once

#include "base/String.h"

namespace lumora {

String RawCommandLine();

}  // namespace lumora
