// The box shown when an error escapes start-up.
#pragma once

#include <cstdint>

#include "base/String.h"

namespace lumora {

inline constexpr int kRuntimeErrorExitCode = 217;

// "Runtime error 217 at XXXXXXXX", the address written as eight upper-case
// hexadecimal digits.
String RuntimeErrorText(uint32_t failurePoint);

// A value that identifies where start-up failed: the step and the kind of
// error, so that two different failures show different numbers.
uint32_t FailurePoint(int step, const char* errorTypeName);

}  // namespace lumora
