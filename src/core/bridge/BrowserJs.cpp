#include "core/bridge/BrowserJs.h"

#include <cctype>
#include <string_view>
#include <typeinfo>

#include "core/CommandLineParams.h"
#include "core/Exception.h"
#include "core/GlobalMainForm.h"
#include "core/bridge/JsConstants.h"
#include "core/bridge/ScriptBridgeWire.h"
#include "core/os/SysUtils.h"

namespace lumora {
namespace {

// Browser forms live only while the main window does; a call outside that
// span is refused rather than followed through an empty reference.
TGlobalMainForm& MainForm() {
  if (!GlobalMainForm) throw Exception(u"The main window is not available");
  return *GlobalMainForm;
}

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

void TBrowserJs::StringResult(const String& text, TJsValue* v) {
  if (v) *v = TJsValue::Text(text);
}

void TBrowserJs::BooleanResult(bool flag, TJsValue* v) {
  if (v) *v = TJsValue::Number(flag ? 1 : 0);
}

void TBrowserJs::ExecuteFunction(TJsBrowser& browser, int32_t funcID,
                                 const std::vector<TJsValue>& params, TJsValue* varResult) const {
  const size_t count = params.size();
  // Script argument i (0 = the first) of a call with n arguments.
  const auto arg = [&](size_t i) -> const TJsValue& { return params[count - 1 - i]; };
  switch (funcID) {
    case kJsWebFind:
      browser.ShowFindDialog();
      break;
    case kJsWebPreview:
      browser.PrintPreview();
      break;
    case kJsAppPlayWav:
      if (count == 1) MainForm().PlayWavSound(arg(0).ToText(), false);
      if (count == 2) MainForm().PlayWavSound(arg(0).ToText(), arg(1).ToInt16() != 0);
      break;
    case kJsAppStopWav:
      TSysUtils::StopCurrentSound();
      break;
    case kJsAppOpenFile:
      if (count == 1) MainForm().OpenFile(arg(0).ToText());
      break;
    case kJsAppParamStr:
      if (count == 1) {
        const int32_t index = arg(0).ToInt16();
        if (TCommandLineParams::ParamCount() >= index) {
          StringResult(TCommandLineParams::ParamStr(index), varResult);
        }
      }
      break;
    case kJsAppParamCount:
      StringResult(IntToStr(TCommandLineParams::ParamCount()), varResult);
      break;
    case kJsAppIsRuntime:
      BooleanResult(MainForm().IsRuntime(), varResult);
      break;
    case kJsAppOpenFileWith:
      if (count == 2) MainForm().OpenFileWith(arg(0).ToText(), arg(1).ToText());
      break;
    case kJsAppShellExec:
      // The last argument is the target, however many there are.
      if (count >= 1) TSysUtils::ShellOpen(params[0].ToText());
      break;
    case kJsAppReadFile:
      if (count == 1) StringResult(MainForm().ReadFile(arg(0).ToText()), varResult);
      break;
    case kJsAppWriteFile:
      if (count == 2) MainForm().WriteFile(arg(0).ToText(), arg(1).ToText());
      break;
    case kJsAppMinimize:
      browser.MinimizeApplication();
      break;
    case kJsAppRestore:
      browser.RestoreApplication();
      break;
    case kJsAppFileExists:
      if (count == 1) BooleanResult(MainForm().DoFileExists(arg(0).ToText()), varResult);
      break;
    case kJsAppWriteReg:
      if (count == 3) {
        BooleanResult(MainForm().WriteRegistry(arg(0).ToText(), arg(1).ToText(), arg(2).ToText()),
                      varResult);
      }
      break;
    case kJsAppReadReg:
      if (count == 2) StringResult(MainForm().ReadRegistry(arg(0).ToText(), arg(1).ToText()), varResult);
      break;
    case kJsAppRemoveReg:
      if (count == 2) {
        BooleanResult(MainForm().RemoveRegistry(arg(0).ToText(), arg(1).ToText()), varResult);
      }
      break;
    case kJsAppComputerName:
      StringResult(MainForm().GetPCName(), varResult);
      break;
    case kJsAppUserName:
      StringResult(MainForm().GetPCUserName(), varResult);
      break;
    case kJsAppCreateDir:
      if (count == 1) BooleanResult(MainForm().CreateDir(arg(0).ToText()), varResult);
      break;
    case kJsAppDirExists:
      if (count == 1) BooleanResult(MainForm().DirExists(arg(0).ToText()), varResult);
      break;
    case kJsAppDocsDir:
      StringResult(MainForm().GetUserDocsDir(), varResult);
      break;
    case kJsAppRemoveFile:
      if (count == 1) BooleanResult(MainForm().RemoveFile(arg(0).ToText()), varResult);
      break;
    case kJsSayHello:
      StringResult(count == 1 ? Format(u"Hello %s!", {arg(0).ToText()}) : String(u"Hello!"), varResult);
      break;
    default:
      break;
  }
}

bool TBrowserJs::ExecuteForScript(TJsBrowser& browser, int32_t funcID,
                                  const std::vector<TJsValue>& params, TJsValue* varResult,
                                  TJsError& error) const {
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
