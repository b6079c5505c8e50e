// The page behind a URL-layer request, read from the headers the bind adds
// to it, for the site scheme's origin check (core/protocol/SiteOrigin.h).
#pragma once

#include <urlmon.h>

#include "core/protocol/SiteOrigin.h"

namespace lumora {

// Asks whoever negotiates the request (IHttpNegotiate, offered as a
// service of the protocol sink or of the bind information, or by either
// directly) for the request's extra headers, as a browser adds its
// Referer there, and reads them. Empty when no one offers it or it adds
// nothing.
TRequestInitiator InitiatorOf(LPCWSTR url, IInternetProtocolSink* sink, IInternetBindInfo* bindInfo);

}  // namespace lumora
