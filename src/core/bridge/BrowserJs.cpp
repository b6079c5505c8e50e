#include "core/bridge/BrowserJs.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <typeinfo>

#include "core/CommandLineParams.h"
#include "base/Exception.h"
#include "core/GlobalMainForm.h"
#include "core/bridge/JsConstants.h"
#include "core/bridge/ScriptBridgeWire.h"
#include "os/SysUtils.h"

namespace lumora {
namespace {

// The class name of an exception, without its namespace: the last name of
// its type's mangled name ("N6lumora11EFOpenErrorE", "St13runtime_error"),
// each written as its length and its letters. Reading just that much spares
// the program the full demangler.
String ClassNameOf(const std::exception& error) {
  const std::string_view mangled = typeid(error).name();
  std::string_view name = mangled;
  for (size_t i = 0; i < mangled.size();) {
    if (!std::isdigit(static_cast<unsigned char>(mangled[i]))) {
      ++i;
      continue;
    }
    size_t length = 0;
    while (i < mangled.size() && std::isdigit(static_cast<unsigned char>(mangled[i]))) {
      length = length * 10 + static_cast<size_t>(mangled[i++] - '0');
    }
    if (length > mangled.size() - i) break;
    name = mangled.substr(i, length);
    i += length;
  }
  return FromUtf8(name);
}

}  // namespace

// One call of a table function: its arguments in the platform's order (the
// last script argument first), where its result goes, and what it may use.
struct TExternalCall {
  TJsBrowser& Browser;
  const std::vector<TJsValue>& Params;
  TJsValue* Result;

  size_t Count() const { return Params.size(); }
  // Script argument i (0 = the first).
  const TJsValue& Arg(size_t i) const { return Params[Params.size() - 1 - i]; }
  String Text(size_t i) const { return Arg(i).ToText(); }
  // Browser forms live only while the main window does; a call outside
  // that span is refused rather than followed through an empty reference.
  static TGlobalMainForm& Form() {
    if (!GlobalMainForm) throw Exception(u"The main window is not available");
    return *GlobalMainForm;
  }
  static TExternalServices& Services() { return Form().Services(); }
  void Returns(const String& text) const {
    if (Result) *Result = TJsValue::Text(text);
  }
  // Booleans reach the script as the numbers 1 and 0.
  void Returns(bool flag) const {
    if (Result) *Result = TJsValue::Number(flag ? 1 : 0);
  }
};

namespace {
using TCall = TExternalCall;
}  // namespace

const std::array<TJsFunction, 25> JsFunctions = {{
    {kJsWebFind, u"webFind", 0, kAnyArgs, [](TCall& c) { c.Browser.ShowFindDialog(); }},
    {kJsWebPreview, u"webPreview", 0, kAnyArgs, [](TCall& c) { c.Browser.PrintPreview(); }},
    {kJsAppPlayWav, u"appPlayWav", 1, 2,
     [](TCall& c) { c.Services().PlayWavSound(c.Text(0), c.Count() == 2 && c.Arg(1).ToInt16() != 0); }},
    {kJsAppStopWav, u"appStopWav", 0, kAnyArgs, [](TCall& c) { c.Services().StopSound(); }},
    {kJsAppOpenFile, u"appOpenFile", 1, 1, [](TCall& c) { c.Services().OpenFile(c.Text(0)); }},
    {kJsAppParamStr, u"appParamStr", 1, 1,
     [](TCall& c) {
       const int32_t index = c.Arg(0).ToInt16();
       if (TCommandLineParams::ParamCount() >= index) c.Returns(TCommandLineParams::ParamStr(index));
     }},
    {kJsAppParamCount, u"appParamCount", 0, kAnyArgs,
     [](TCall& c) { c.Returns(IntToStr(TCommandLineParams::ParamCount())); }},
    {kJsAppIsRuntime, u"appIsRuntime", 0, kAnyArgs, [](TCall& c) { c.Returns(c.Form().IsRuntime()); }},
    {kJsAppOpenFileWith, u"appOpenFileWith", 2, 2, [](TCall& c) { c.Services().OpenFileWith(c.Text(0), c.Text(1)); }},
    // The last argument is the target, however many there are.
    {kJsAppShellExec, u"appShellExec", 1, kAnyArgs, [](TCall& c) { c.Services().ShellOpen(c.Text(c.Count() - 1)); }},
    {kJsAppReadFile, u"appReadFile", 1, 1, [](TCall& c) { c.Returns(c.Services().ReadFile(c.Text(0))); }},
    {kJsAppWriteFile, u"appWriteFile", 2, 2, [](TCall& c) { c.Services().WriteFile(c.Text(0), c.Text(1)); }},
    {kJsAppMinimize, u"appMinimize", 0, kAnyArgs, [](TCall& c) { c.Browser.MinimizeApplication(); }},
    {kJsAppRestore, u"appRestore", 0, kAnyArgs, [](TCall& c) { c.Browser.RestoreApplication(); }},
    {kJsAppFileExists, u"appFileExists", 1, 1, [](TCall& c) { c.Returns(c.Services().DoFileExists(c.Text(0))); }},
    {kJsAppWriteReg, u"appWriteReg", 3, 3,
     [](TCall& c) { c.Returns(c.Services().WriteRegistry(c.Text(0), c.Text(1), c.Text(2))); }},
    {kJsAppReadReg, u"appReadReg", 2, 2, [](TCall& c) { c.Returns(c.Services().ReadRegistry(c.Text(0), c.Text(1))); }},
    {kJsAppRemoveReg, u"appRemoveReg", 2, 2,
     [](TCall& c) { c.Returns(c.Services().RemoveRegistry(c.Text(0), c.Text(1))); }},
    {kJsAppComputerName, u"appComputerName", 0, kAnyArgs, [](TCall& c) { c.Returns(c.Services().GetPCName()); }},
    {kJsAppUserName, u"appUserName", 0, kAnyArgs, [](TCall& c) { c.Returns(c.Services().GetPCUserName()); }},
    {kJsAppCreateDir, u"appCreateDir", 1, 1, [](TCall& c) { c.Returns(c.Services().CreateDir(c.Text(0))); }},
    {kJsAppDirExists, u"appDirExists", 1, 1, [](TCall& c) { c.Returns(c.Services().DirExists(c.Text(0))); }},
    {kJsAppDocsDir, u"appDocsDir", 0, kAnyArgs, [](TCall& c) { c.Returns(c.Services().GetUserDocsDir()); }},
    {kJsAppRemoveFile, u"appRemoveFile", 1, 1, [](TCall& c) { c.Returns(c.Services().RemoveFile(c.Text(0))); }},
    {kJsSayHello, u"SayHello", 0, kAnyArgs,
     [](TCall& c) { c.Returns(c.Count() == 1 ? Format(u"Hello %s!", {c.Text(0)}) : String(u"Hello!")); }},
}};

int32_t TBrowserJs::FunctionIDByName(StringView name) const {
  const String wanted = FoldFunctionName(name);
  for (const TJsFunction& function : JsFunctions) {
    if (FoldFunctionName(function.Name) == wanted) return function.ID;
  }
  return -1;
}

String TBrowserJs::FunctionNameByID(int32_t ID) const {
  for (const TJsFunction& function : JsFunctions) {
    if (function.ID == ID) return function.Name;
  }
  return {};
}

void TBrowserJs::ExecuteFunction(TJsBrowser& browser, int32_t funcID, const std::vector<TJsValue>& params,
                                 TJsValue* varResult) const {
  const auto row = std::find_if(JsFunctions.begin(), JsFunctions.end(),
                                [funcID](const TJsFunction& function) { return function.ID == funcID; });
  if (row == JsFunctions.end() || params.size() < row->MinArgs) return;
  if (row->MaxArgs != kAnyArgs && params.size() > row->MaxArgs) return;
  TExternalCall call{browser, params, varResult};
  row->Run(call);
}

bool TBrowserJs::ExecuteForScript(TJsBrowser& browser, int32_t funcID, const std::vector<TJsValue>& params,
                                  TJsValue* varResult, TJsError& error) const {
  try {
    ExecuteFunction(browser, funcID, params, varResult);
    return true;
  } catch (const Exception& e) {
    error = {ClassNameOf(e), e.Message()};
  } catch (const std::exception& e) {
    error = {ClassNameOf(e), FromUtf8(e.what())};
  }
  return false;
}

}  // namespace lumora
