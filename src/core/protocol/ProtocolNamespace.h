// The platform's URL layer as far as the protocol registry needs it: it
// makes a scheme's requests reach the registry's request path
// (core/protocol/ProtocolRegistry.h) in this process only. The registry
// holds one object while at least one scheme is registered.
//
// The platform layer brings the URL layer's own (platform/ProtocolNamespace.h)
// and hands its maker to SetUpProtocolRegistry. Windows: the URL moniker
// layer's session (CoInternetGetSession) and one class factory of protocol
// handlers, with RegisterNameSpace and UnregisterNameSpace. Linux: the
// default WebKitGTK web context; WebKit cannot forget a scheme, so
// Unregister leaves it to the registry to refuse the scheme's requests.
// This base reaches no URL layer: requests then come only through
// RequestProtocolStream itself.
#pragma once

#include <functional>
#include <memory>

#include "base/String.h"

namespace lumora {

class TProtocolNamespace {
 public:
  TProtocolNamespace() = default;
  virtual ~TProtocolNamespace() = default;
  TProtocolNamespace(const TProtocolNamespace&) = delete;
  TProtocolNamespace& operator=(const TProtocolNamespace&) = delete;

  // Raises EInternetException when the URL layer refuses the scheme.
  virtual void Register(const String& /*scheme*/) {}
  virtual void Unregister(const String& /*scheme*/) {}
};

// Makes the URL layer's object; raises EInternetException when the URL
// layer cannot be reached.
using TProtocolNamespaceMaker = std::function<std::unique_ptr<TProtocolNamespace>()>;

}  // namespace lumora
