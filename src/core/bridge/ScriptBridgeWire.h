// The script bridge's wire for backends that reach window.external through
// requests (WebKitGTK): the page script that defines window.external, the
// encoding of a call and of its answer, and the folding of function names
// by which the table matches them. Windows' IDispatch needs none of the
// wire but the same folding.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/String.h"
#include "core/bridge/BrowserJs.h"

namespace lumora {

// name with the letters A-Z in lower case, and nothing else changed: the
// function table matches names ignoring the case of those letters only.
String FoldFunctionName(StringView name);

// The script that gives pages of scheme ("lmp") window.external. Its
// functions send each call with a synchronous POST to
// "<scheme>://<host>/lumora-external" with the header header set to token,
// and read the answer.
std::string BridgeScript(StringView scheme, const std::string& header, const std::string& token);

// A call's body, as the script sends it: the function's identifier, then
// one line per argument, "u" (undefined), "b1"/"b0", or "s"/"n" and the
// text's UTF-16 code units in hex. Params come back last first, as the
// bridge takes them. False for a malformed body.
bool ParseBridgeCall(std::string_view body, int32_t& id, std::vector<TJsValue>& params);

// The answer's JSON, as the script reads it: {"ok":true[,"value":...]} or
// {"ok":false,"error":{"name":...,"message":...}}.
std::string BridgeAnswer(bool ok, const TJsValue& result, const TJsError& error);

}  // namespace lumora
