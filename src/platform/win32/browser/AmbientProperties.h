// The ambient properties the browser component answers for the WebBrowser
// control it hosts (the control asks its site's dispatch for them): the
// download control flags, the user agent, the user mode, and the standard
// ambient properties a hosting control offers.
#pragma once

#include <oaidl.h>

namespace lumora {

// Serves an ambient property read (or the user-mode write) of id: true,
// with *result set when one is given, when id is an ambient property the
// component answers; false for every other id, which is then left to the
// component's other handlers.
bool ServeAmbientProperty(DISPID id, WORD flags, VARIANT* result);

}  // namespace lumora
