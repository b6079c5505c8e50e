// The platform's URL layer as far as the protocol registry needs it: it
// makes a scheme's requests reach the registry's request path
// (core/protocol/ProtocolRegistry.h) in this process only. The registry
// holds one object while at least one scheme is registered.
//
// Windows: the URL moniker layer's session (CoInternetGetSession) and one
// class factory of protocol handlers, with RegisterNameSpace and
// UnregisterNameSpace. Linux: the default WebKitGTK web context
// (platform/linux/browser/WebKitScheme.h); WebKit cannot forget a scheme, so
// Unregister leaves it to the registry to refuse the scheme's requests.
#pragma once

#include <memory>

#include "base/String.h"

namespace lumora {

class TProtocolNamespace {
 public:
  // Raises EInternetException when the URL layer cannot be reached.
  TProtocolNamespace();
  ~TProtocolNamespace();
  TProtocolNamespace(const TProtocolNamespace&) = delete;
  TProtocolNamespace& operator=(const TProtocolNamespace&) = delete;

  // Raises EInternetException when the URL layer refuses the scheme.
  void Register(const String& scheme);
  void Unregister(const String& scheme);

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

}  // namespace lumora
