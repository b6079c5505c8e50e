// The runtime proper's entry point, which the launcher (Launcher.cpp)
// calls once it has loaded the library: the program's main on Windows.
#include "app/Startup.h"

extern "C" __attribute__((visibility("default"))) int lumora_runtime_main() { return lumora::RunApplication(); }
