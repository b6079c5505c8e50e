// The registry's schemes are served in WebKitGTK's default web context, the
// one every web view made with webkit_web_view_new uses.
#include <webkit2/webkit2.h>

#include "core/protocol/ProtocolNamespace.h"
#include "platform/linux/browser/WebKitScheme.h"

namespace lumora {

struct TProtocolNamespace::TImpl {};

TProtocolNamespace::TProtocolNamespace() = default;

TProtocolNamespace::~TProtocolNamespace() = default;

void TProtocolNamespace::Register(const String& scheme) {
  RegisterWebKitScheme(webkit_web_context_get_default(), scheme);
}

void TProtocolNamespace::Unregister(const String& scheme) {
  ForgetWebKitSchemeEntries(webkit_web_context_get_default(), scheme);
}

}  // namespace lumora
