// The registry's schemes as temporary namespace handlers of the URL moniker
// layer: registered with the session for this process only, all served by
// one class factory of protocol handlers, which share one cache of entries.
#include <urlmon.h>

#include "core/protocol/InternetProtocol.h"
#include "core/os/File.h"
#include "core/os/ProtocolNamespace.h"
#include "os/win32/WideString.h"
#include "os/win32/ComPtr.h"
#include "os/win32/protocol/InternetProtocolHandlerFactory.h"

namespace lumora {

namespace {

// The class identifier given with each scheme: that of IInternetProtocol.
constexpr CLSID kHandlerClassId = {0x79EAC9E4, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}};

String ErrorText(HRESULT result) { return SysErrorMessage(static_cast<uint32_t>(result)); }

}  // namespace

struct TProtocolNamespace::TImpl {
  std::shared_ptr<TEntryCache> Cache = std::make_shared<TEntryCache>(kSiteEntryCacheBytes);
  TComPtr<IClassFactory> Factory;
  TComPtr<IInternetSession> Session;
};

TProtocolNamespace::TProtocolNamespace() : FImpl(std::make_unique<TImpl>()) {
  FImpl->Factory = TInternetProtocolHandlerFactory::Create(FImpl->Cache);
  const HRESULT result = ::CoInternetGetSession(0, FImpl->Session.Receive(), 0);
  // Without a session no scheme can be registered at all.
  if (FAILED(result) || !FImpl->Session) {
    throw EInternetException(u"The URL layer's session is not available: " + ErrorText(result));
  }
}

TProtocolNamespace::~TProtocolNamespace() = default;

void TProtocolNamespace::Register(const String& scheme) {
  const HRESULT result =
      FImpl->Session->RegisterNameSpace(FImpl->Factory.Get(), kHandlerClassId, Wide(scheme).c_str(), 0, nullptr, 0);
  if (FAILED(result)) {
    throw EInternetException(u"The Internet Protocol could not be registered: " + ErrorText(result));
  }
}

void TProtocolNamespace::Unregister(const String& scheme) {
  // Nothing to do about a failure: the scheme is forgotten either way.
  FImpl->Session->UnregisterNameSpace(FImpl->Factory.Get(), Wide(scheme).c_str());
  // Nothing cached outlives the component that served it.
  FImpl->Cache->Clear();
}

}  // namespace lumora
