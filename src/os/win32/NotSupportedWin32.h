// The Windows windows and browser are not built yet: their operations
// raise this error.
#pragma once

#include "core/Exception.h"

namespace lumora {

[[noreturn]] inline void RaiseNotSupported() { throw Exception(u"not supported yet"); }

}  // namespace lumora
