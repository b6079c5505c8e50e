// The command line on Windows: the text the process was started with.
#include <windows.h>

#include "os/CommandLine.h"
#include "os/win32/WideString.h"

namespace lumora {

String RawCommandLine() { return FromWide(::GetCommandLineW()); }

}  // namespace lumora
