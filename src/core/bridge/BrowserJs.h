// The script bridge behind window.external: finds a function of the table
// (JsConstants.h) by name and runs it on the call's arguments, reaching the
// main window through GlobalMainForm and the calling browser through
// TJsBrowser.
//
// Arguments arrive as the platform delivers them: in reverse order, the
// last script argument first (as DISPPARAMS.rgvarg holds them on Windows;
// the Linux adapter passes its arguments the same way). For a call
// appWriteReg(Key, ValueName, Value), params is {Value, ValueName, Key}.
#pragma once

#include <functional>

#include <cstdint>
#include <vector>

#include "base/String.h"
#include "core/bridge/JsBrowser.h"
#include "core/bridge/JsValue.h"

namespace lumora {

// An error raised while a function ran, as the script is to see it.
struct TJsError {
  String Source;   // the error's class name, such as "EFOpenError"
  String Message;  // its message
};

// A page called window.external: ID is the function table's identifier,
// Params the script's arguments, the last first. False, with Error filled
// in, when the function raised. What a browser view hands its calls to.
using TExternalCallHandler =
    std::function<bool(int32_t ID, const std::vector<TJsValue>& Params, TJsValue& Result, TJsError& Error)>;

// Where a call of window.external comes from, as far as the browser says:
// Named when it names the calling document (the Windows script engine
// hands the call a caller that leads to the calling window); DocumentURL
// is then that document's URL, empty when it could not be read.
struct TExternalCaller {
  bool Named = false;
  String DocumentURL;
};

// How a call of window.external ended.
enum class TExternalOutcome {
  Done,     // the function ran (or did nothing), without an error
  Raised,   // the function raised: the script is to see the error
  Refused,  // the caller may not call the program: as if no such member
};

class TBrowserJs {
 public:
  // The identifier of the table row named name (only the letters A-Z are
  // matched ignoring case), or -1.
  int32_t FunctionIDByName(StringView name) const;
  // The name of the first row with that identifier, or the empty text.
  String FunctionNameByID(int32_t ID) const;

  // Runs function funcID on params (reverse order, see above) for a call
  // that browser received. A function with a result writes it to
  // *varResult (when varResult is given): text as a string, Booleans as the
  // numbers 1 and 0. A call with a number of arguments the function does
  // not take, an unknown identifier, or a function without a result leaves
  // *varResult untouched, so the script receives undefined. Errors of the
  // services are not caught: they travel to the caller.
  void ExecuteFunction(TJsBrowser& browser, int32_t funcID, const std::vector<TJsValue>& params,
                       TJsValue* varResult) const;

  // ExecuteFunction for an adapter that hands errors to the script: false,
  // with error filled in, when an exception escaped.
  bool ExecuteForScript(TJsBrowser& browser, int32_t funcID, const std::vector<TJsValue>& params, TJsValue* varResult,
                        TJsError& error) const;
};

}  // namespace lumora
