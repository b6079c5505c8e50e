// The command line on Windows: the text the process was started with.
#include <windows.h>

#include "platform/CommandLine.h"
#include "platform/win32/WideString.h"

namespace lumora {

String RawCommandLine() { return FromWide(::GetCommandLineW()); }

}  // namespace lumora
