// Compiled with the OS layer's include paths by the layers test, which
// expects the compile to fail: the OS layer cannot see the core's headers.
#include "core/ExeUtils.h"
