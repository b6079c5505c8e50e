// The registry's schemes are served in WebKitGTK's default web context, the
// one every web view made with webkit_web_view_new uses.
#include <webkit2/webkit2.h>

#include "platform/ProtocolNamespace.h"
#include "platform/linux/browser/WebKitScheme.h"

namespace lumora {

namespace {

class TWebKitNamespace final : public TProtocolNamespace {
 public:
  void Register(const String& scheme) override { RegisterWebKitScheme(webkit_web_context_get_default(), scheme); }

  void Unregister(const String& scheme) override {
    ForgetWebKitSchemeEntries(webkit_web_context_get_default(), scheme);
  }
};

}  // namespace

std::unique_ptr<TProtocolNamespace> NewProtocolNamespace() { return std::make_unique<TWebKitNamespace>(); }

}  // namespace lumora
