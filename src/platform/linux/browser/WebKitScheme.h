// Serves schemes of the protocol registry in a WebKitGTK web context: each
// WebKitURISchemeRequest goes through the registry's request path and is
// finished with the stream's bytes, or with an error when no stream comes so
// that the browser shows its own failure page.
//
// The answer is the core's (core/protocol/ProtocolAnswer.h): the entry's
// content type, 206 with the bytes a Range asks for (or 416), and a
// per-scheme cache of recently used entries (256 MB) for range requests.
// Here it only becomes a WebKit response, with "Accept-Ranges". The scheme is registered as secure
// and CORS-enabled, so fetch(), XHR and module scripts work between its
// pages.
#pragma once

#include <cstddef>

#include "base/String.h"

typedef struct _WebKitWebContext WebKitWebContext;

namespace lumora {

// Registers scheme on context, once: WebKit keeps a scheme for the life of
// the context, so later calls for the same scheme do nothing. The registry
// decides per request whether a component still serves it. Raises
// EInternetException for a scheme WebKit cannot take (URL schemes are
// ASCII).
void RegisterWebKitScheme(WebKitWebContext* context, const String& scheme);

// Drops the cached entries of scheme on context, once it is no longer
// served, so nothing cached outlives its component.
void ForgetWebKitSchemeEntries(WebKitWebContext* context, const String& scheme);

}  // namespace lumora
