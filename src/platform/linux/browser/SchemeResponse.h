// The pure part of translating a WebKitGTK scheme request: WebKit's URL
// back into the text the request path expects. The answer itself is the
// core's (core/protocol/ProtocolAnswer.h).
#pragma once

#include <string_view>

#include "base/String.h"

namespace lumora {

// WebKit hands the URL over percent-encoded as UTF-8, while the Windows URL
// layer passes non-ASCII characters as they are. Escapes that form a
// well-formed UTF-8 sequence of a non-ASCII character become that
// character; every other escape ("%20", "%3F", "%2B", stray bytes) stays for
// the request handler's own URL decoding.
String UrlFromWebKit(std::string_view uri);

}  // namespace lumora
