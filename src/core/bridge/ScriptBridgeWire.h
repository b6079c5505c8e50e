// The script bridge's wire for backends whose pages reach window.external
// over a channel of their own to the program (WebKitGTK: a web process
// extension talking to the browser view over a socket pair): the page
// script that shapes window.external, the bytes of a call and of its
// answer, and the folding of function names by which the table matches
// them. Windows' IDispatch needs none of the wire but the same folding.
//
// Both ends of a channel run on one machine and share this code: the
// numbers in a frame are in that machine's byte order.
//
//   frame   the size of the body (u32), then the body
//   call    the function's identifier (i32), the argument count (u32),
//           then each argument, first to last, as a value
//   answer  'v' and a value, or 'e' and two texts: the error's name and
//           its message
//   value   'u' (undefined; null too), 'f' or 't' (false, true), 'n' and
//           an IEEE double (8 bytes), or 's' and a text
//   text    its length in UTF-16 code units (u32), then the units (lossless:
//           lone surrogates cross as they are)
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/String.h"
#include "core/bridge/BrowserJs.h"

namespace lumora {

// The size of a frame's header, which holds the size of its body.
inline constexpr size_t kBridgeFrameHeaderBytes = 4;
// The largest body of a call: 64 MiB. Text counts two bytes a character
// (UTF-16), each argument its kind and length on top, so one text argument
// may hold up to 33,554,423 characters. A page's larger call throws a
// RangeError before it is sent; a larger frame on the channel is not a call.
inline constexpr size_t kBridgeCallLimitBytes = 64u * 1024u * 1024u;

// name with the letters A-Z in lower case, and nothing else changed: the
// function table matches names ignoring the case of those letters only.
String FoldFunctionName(StringView name);

// The script that gives a page of scheme ("lmp") its window.external. It
// is a function expression: called in a frame with the native function
// call before any script of the page runs, it defines window.external if
// the frame shows a page of scheme with an origin of its own (not a
// sandboxed frame's), as an object whose functions (found by name as the
// table finds them) pass their arguments to call(id, argument...) and
// return what it returns. Objects, functions, symbols and big integers are
// turned into their text first; a call whose body would exceed
// kBridgeCallLimitBytes throws a RangeError instead.
std::string BridgeScript(StringView scheme);

// The frame of a call of function id on args (the script's order, first
// to last), for the end that calls.
std::string BridgeCallFrame(int32_t id, const std::vector<TJsValue>& args);
// Reads a call's body. Params come back last first, as the bridge takes
// them. False for a malformed body.
bool ParseBridgeCall(const uint8_t* body, size_t size, int32_t& id, std::vector<TJsValue>& params);

// The frame of an answer: the result when ok, else the error.
std::string BridgeAnswerFrame(bool ok, const TJsValue& result, const TJsError& error);
// Reads an answer's body: ok and result, or error, filled in. False for a
// malformed body.
bool ParseBridgeAnswer(const uint8_t* body, size_t size, bool& ok, TJsValue& result, TJsError& error);

// The body size that a frame's header (kBridgeFrameHeaderBytes) holds.
uint32_t BridgeFrameBodySize(const uint8_t* header);

}  // namespace lumora
