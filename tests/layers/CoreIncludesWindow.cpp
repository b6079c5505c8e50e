// Compiled with the core's include paths by the layers test, which expects
// the compile to fail: the core cannot see the windows' headers.
#include "platform/FormWindow.h"
