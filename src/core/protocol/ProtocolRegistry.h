// The process-wide protocol registry: which component serves which scheme,
// guarded by one recursive lock, and the one request path every URL-layer
// backend goes through.
//
// The start-up code sets the registry up (SetUpProtocolRegistry) before the
// main window exists and releases it (ReleaseProtocolRegistry) after the
// window is gone. Components reach AddProtocol and RemoveProtocol through
// their Active property.
#pragma once

#include <memory>

#include "base/Stream.h"
#include "base/String.h"
#include "core/protocol/ProtocolNamespace.h"

namespace lumora {

class TInternetProtocol;

// Creates the empty registry, whose schemes reach the URL layer of the
// namespaces newNamespace makes (none when it is empty: requests then come
// only through RequestProtocolStream). Calling it again while one exists
// does nothing.
void SetUpProtocolRegistry(TProtocolNamespaceMaker newNamespace = {});
// Deactivates every component still registered (which unregisters its
// scheme), then frees the registry and the URL layer's objects.
void ReleaseProtocolRegistry();

// Registers scheme for component. A component already holding the scheme
// (letter case ignored) is deactivated first. The URL layer's objects are
// obtained when the first scheme is added. Raises EInternetException when
// the registry is not set up or the URL layer refuses the scheme; the list
// is then unchanged.
void AddProtocol(const String& scheme, TInternetProtocol& component);
// Unregisters scheme; nothing when no component holds it. The URL layer's
// objects are released with the last scheme.
void RemoveProtocol(const String& scheme);

// True while the registry holds the URL layer's objects, i.e. while at
// least one scheme is registered.
bool ProtocolNamespaceHeld();

// The request path of every backend. Splits url at its first colon into
// scheme and rest ("lmp://site/a.html" gives "lmp" and "//site/a.html"; a
// url without a colon has the empty scheme and stays whole), finds the
// scheme's component (letter case ignored) and has it answer on its thread,
// holding the registry's lock until the answer is there. The stream comes
// back rewound; nullptr when no component holds the scheme, it has no
// handler, or the handler gave no stream. An error the handler raises is
// raised here. Callable from any thread.
std::unique_ptr<TStream> RequestProtocolStream(StringView url);

}  // namespace lumora
