// The URL layer the browser views load through, as the protocol registry's
// namespace (core/protocol/ProtocolNamespace.h): start-up hands
// NewProtocolNamespace to SetUpProtocolRegistry.
#pragma once

#include <memory>

#include "core/protocol/ProtocolNamespace.h"

namespace lumora {

// Raises EInternetException when the URL layer cannot be reached.
std::unique_ptr<TProtocolNamespace> NewProtocolNamespace();

}  // namespace lumora
