// The console and file facts of the packer on Windows.
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "pack/Console.h"

namespace lumora {

void TConsole::Initialize() {
  // Only affects a real console; redirected output is UTF-8 bytes anyway.
  SetConsoleOutputCP(CP_UTF8);
}

bool TConsole::ErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

void TConsole::MakeExecutable(const String& /*path*/) {}

}  // namespace lumora
