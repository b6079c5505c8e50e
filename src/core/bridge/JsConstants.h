// The functions a page can call on window.external: one fixed table whose
// rows give the name, the identifier, the argument counts a function takes
// and what it runs (BrowserJs.cpp). Identifiers 1 to 24 follow the table's
// order; the last row is a greeting kept for checking that the bridge
// answers.
#pragma once

#include <array>
#include <cstdint>

#include "base/String.h"

namespace lumora {

struct TExternalCall;

struct TJsFunction {
  int32_t ID;
  const char16_t* Name;
  // A call with fewer or more script arguments runs nothing and gives
  // undefined; kAnyArgs takes any number.
  uint8_t MinArgs;
  uint8_t MaxArgs;
  void (*Run)(TExternalCall& call);
};
inline constexpr uint8_t kAnyArgs = 255;

inline constexpr int32_t kJsWebFind = 1;
inline constexpr int32_t kJsWebPreview = 2;
inline constexpr int32_t kJsAppPlayWav = 3;
inline constexpr int32_t kJsAppStopWav = 4;
inline constexpr int32_t kJsAppOpenFile = 5;
inline constexpr int32_t kJsAppParamStr = 6;
inline constexpr int32_t kJsAppParamCount = 7;
inline constexpr int32_t kJsAppIsRuntime = 8;
inline constexpr int32_t kJsAppOpenFileWith = 9;
inline constexpr int32_t kJsAppShellExec = 10;
inline constexpr int32_t kJsAppReadFile = 11;
inline constexpr int32_t kJsAppWriteFile = 12;
inline constexpr int32_t kJsAppMinimize = 13;
inline constexpr int32_t kJsAppRestore = 14;
inline constexpr int32_t kJsAppFileExists = 15;
inline constexpr int32_t kJsAppWriteReg = 16;
inline constexpr int32_t kJsAppReadReg = 17;
inline constexpr int32_t kJsAppRemoveReg = 18;
inline constexpr int32_t kJsAppComputerName = 19;
inline constexpr int32_t kJsAppUserName = 20;
inline constexpr int32_t kJsAppCreateDir = 21;
inline constexpr int32_t kJsAppDirExists = 22;
inline constexpr int32_t kJsAppDocsDir = 23;
inline constexpr int32_t kJsAppRemoveFile = 24;
inline constexpr int32_t kJsSayHello = 9999;

extern const std::array<TJsFunction, 25> JsFunctions;

}  // namespace lumora
