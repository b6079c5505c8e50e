// Compiled with the base's include paths by the layers test, which expects
// the compile to fail: the base cannot see the OS layer's headers.
#include "os/File.h"
