// The registry's schemes as temporary namespace handlers of the URL moniker
// layer: registered with the session for this process only, all served by
// one class factory of protocol handlers, which share one cache of entries.
#include <urlmon.h>

#include <memory>

#include "core/protocol/EntryCache.h"
#include "core/protocol/InternetProtocol.h"
#include "os/File.h"
#include "platform/ProtocolNamespace.h"
#include "os/win32/WideString.h"
#include "os/win32/ComPtr.h"
#include "platform/win32/browser/InternetProtocolHandlerFactory.h"

namespace lumora {

namespace {

// The class identifier given with each scheme: that of IInternetProtocol.
constexpr CLSID kHandlerClassId = {0x79EAC9E4, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}};

String ErrorText(HRESULT result) { return SysErrorMessage(static_cast<uint32_t>(result)); }

// The session keeps the factory registered under each scheme.
class TUrlMonikerNamespace final : public TProtocolNamespace {
 public:
  TUrlMonikerNamespace() {
    FFactory = TInternetProtocolHandlerFactory::Create(FCache);
    const HRESULT result = ::CoInternetGetSession(0, FSession.Receive(), 0);
    // Without a session no scheme can be registered at all.
    if (FAILED(result) || !FSession) {
      throw EInternetException(u"The URL layer's session is not available: " + ErrorText(result));
    }
  }

  void Register(const String& scheme) override {
    const HRESULT result =
        FSession->RegisterNameSpace(FFactory.Get(), kHandlerClassId, Wide(scheme).c_str(), 0, nullptr, 0);
    if (FAILED(result)) {
      throw EInternetException(u"The Internet Protocol could not be registered: " + ErrorText(result));
    }
  }

  void Unregister(const String& scheme) override {
    // Nothing to do about a failure: the scheme is forgotten either way.
    FSession->UnregisterNameSpace(FFactory.Get(), Wide(scheme).c_str());
    // Nothing cached outlives the component that served it.
    FCache->Clear();
  }

 private:
  std::shared_ptr<TEntryCache> FCache = std::make_shared<TEntryCache>(kSiteEntryCacheBytes);
  TComPtr<IClassFactory> FFactory;
  TComPtr<IInternetSession> FSession;
};

}  // namespace

std::unique_ptr<TProtocolNamespace> NewProtocolNamespace() { return std::make_unique<TUrlMonikerNamespace>(); }

}  // namespace lumora
