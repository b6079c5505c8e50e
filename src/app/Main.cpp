// The runtime's entry point. On Windows the GUI-subsystem start-up code of
// the MinGW runtime calls main as well.
#include "app/Startup.h"

int main() { return lumora::RunApplication(); }
