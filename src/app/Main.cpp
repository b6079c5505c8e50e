// The runtime's entry point on Windows, where the GUI-subsystem start-up
// code of the MinGW runtime calls main as well. On Linux the launcher
// (linux/Launcher.cpp) calls the runtime library's entry instead.
#include "app/Startup.h"

int main() { return lumora::RunApplication(); }
