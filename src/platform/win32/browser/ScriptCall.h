// Calls a function of a page's script through the document's script
// dispatch, with the browser component's error texts.
#pragma once

#include <oaidl.h>

#include <initializer_list>

#include "base/String.h"
#include "core/browser/ScriptValue.h"

namespace lumora {

// Calls name on script with arguments (numbers): its value, Missing when
// script has no such name, Failed with the script error's own description
// and source when the call fails (ScriptCallValue gives the errors).
TScriptCall CallScriptFunction(IDispatch& script, const String& name, std::initializer_list<int> arguments);

}  // namespace lumora
