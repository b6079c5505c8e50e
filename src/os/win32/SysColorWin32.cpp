// System colours on Windows: the live values of the user's colour scheme.
#include <windows.h>

#include "os/SysColor.h"

namespace lumora {

uint32_t GetSystemColor(int index) { return ::GetSysColor(index); }

}  // namespace lumora
