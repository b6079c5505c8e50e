#include "app/RuntimeError.h"

#include <cstdio>

namespace lumora {

String RuntimeErrorText(uint32_t failurePoint) {
  char text[48];
  std::snprintf(text, sizeof text, "Runtime error %3d at %08X", kRuntimeErrorExitCode,
                static_cast<unsigned>(failurePoint));
  return FromAscii(text);
}

uint32_t FailurePoint(int step, const char* errorTypeName) {
  // FNV-1a over the error's type name, with the step in the top byte.
  uint32_t hash = 2166136261u;
  for (const char* c = errorTypeName; *c; ++c) {
    hash = (hash ^ static_cast<uint8_t>(*c)) * 16777619u;
  }
  return (static_cast<uint32_t>(step) << 24) | (hash & 0x00FFFFFF);
}

}  // namespace lumora
