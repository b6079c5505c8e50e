// The running process's command line as one text, the program's own name
// first, as Windows hands it to a program. Windows: GetCommandLineW.
// Linux: the arguments of /proc/self/cmdline joined back into one text with
// JoinCommandLine, so that pages splitting it
// see the same arguments on both platforms.
#pragma once

#include <vector>

#include "base/String.h"

namespace lumora {

String RawCommandLine();

// Joins arguments into one command line the way a Windows program
// launcher quotes them (the C runtime's convention): an argument that is
// empty or holds a blank, tab or line end is put in double quotes, a
// double quote inside becomes \" and the backslashes just before a double
// quote (or before the closing quote) are doubled. Arguments are
// separated by one blank.
String JoinCommandLine(const std::vector<String>& arguments);

}  // namespace lumora
