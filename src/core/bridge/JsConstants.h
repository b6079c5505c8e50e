// The functions a page can call on window.external: a fixed table of names
// and identifiers. Identifiers 1 to 24 follow the table's order; the last
// row is a greeting kept for checking that the bridge answers.
#pragma once

#include <array>
#include <cstdint>

#include "core/String.h"

namespace lumora {

struct TJsFunction {
  int32_t ID;
  const char16_t* Name;
};

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

inline constexpr std::array<TJsFunction, 25> JsFunctions = {{
    {kJsWebFind, u"webFind"},
    {kJsWebPreview, u"webPreview"},
    {kJsAppPlayWav, u"appPlayWav"},
    {kJsAppStopWav, u"appStopWav"},
    {kJsAppOpenFile, u"appOpenFile"},
    {kJsAppParamStr, u"appParamStr"},
    {kJsAppParamCount, u"appParamCount"},
    {kJsAppIsRuntime, u"appIsRuntime"},
    {kJsAppOpenFileWith, u"appOpenFileWith"},
    {kJsAppShellExec, u"appShellExec"},
    {kJsAppReadFile, u"appReadFile"},
    {kJsAppWriteFile, u"appWriteFile"},
    {kJsAppMinimize, u"appMinimize"},
    {kJsAppRestore, u"appRestore"},
    {kJsAppFileExists, u"appFileExists"},
    {kJsAppWriteReg, u"appWriteReg"},
    {kJsAppReadReg, u"appReadReg"},
    {kJsAppRemoveReg, u"appRemoveReg"},
    {kJsAppComputerName, u"appComputerName"},
    {kJsAppUserName, u"appUserName"},
    {kJsAppCreateDir, u"appCreateDir"},
    {kJsAppDirExists, u"appDirExists"},
    {kJsAppDocsDir, u"appDocsDir"},
    {kJsAppRemoveFile, u"appRemoveFile"},
    {kJsSayHello, u"SayHello"},
}};

}  // namespace lumora
