#include "core/protocol/InternetProtocol.h"

#include "core/Pcre2Pattern.h"
#include "core/protocol/ProtocolRegistry.h"

namespace lumora {

TInternetProtocol::TInternetProtocol() = default;

TInternetProtocol::~TInternetProtocol() {
  try {
    SetActive(false);
  } catch (...) {
    // Unregistering only forgets names; nothing is left to undo.
  }
}

void TInternetProtocol::SetActive(bool Value) {
  if (Value == FActive) return;
  if (Value) {
    RegisterProtocol();
  } else {
    UnregisterProtocol();
  }
  // Stored last, so an error while registering leaves the component off.
  FActive = Value;
}

void TInternetProtocol::SetProtocol(const String& Value) {
  if (!IsValidIdent(Value)) {
    throw EInternetException(u"The Internet Protocol selected is not a valid protocol identifier");
  }
  const bool wasActive = FActive;
  try {
    SetActive(false);
    FProtocol = Value;
  } catch (...) {
    SetActive(wasActive);
    throw;
  }
  SetActive(wasActive);
}

bool TInternetProtocol::IsValidIdent(StringView name) {
  // Letters are the general categories L*, digits Nd. A lone surrogate
  // becomes U+FFFD in UTF-8, which is neither, so it is refused.
  const TPcre2Pattern pattern(R"(\A[\p{L}_][\p{L}\p{Nd}_]*\z)", 0);
  const std::string utf8 = ToUtf8(name);
  return pattern.Match(utf8).has_value();
}

void TInternetProtocol::SendRequest(const String& Request, std::unique_ptr<TStream>& Stream) {
  FHandle.Send([&] { WndProc(Request, Stream); });
}

void TInternetProtocol::RegisterProtocol() { AddProtocol(FProtocol, *this); }

void TInternetProtocol::UnregisterProtocol() { RemoveProtocol(FProtocol); }

void TInternetProtocol::WndProc(const String& Request, std::unique_ptr<TStream>& Stream) {
  if (FRequest) FRequest(*this, String(Request), Stream);
}

}  // namespace lumora
