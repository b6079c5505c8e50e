// Calls a function of a page's script through the document's script
// dispatch, with the browser component's error texts.
#pragma once

#include <oaidl.h>

#include <initializer_list>

#include "base/String.h"
#include "core/browser/ScriptValue.h"

namespace lumora {

// Calls name on script with arguments (numbers) and returns its value.
// Raises Exception "This object does not support this method" when script
// has no such name, and "Method call unsuccessful. <description>
// (<source>)." when the call fails (the script error's own description and
// source; empty when the engine gave none).
TScriptValue CallScriptFunction(IDispatch& script, const String& name, std::initializer_list<int> arguments);

}  // namespace lumora
