#include "core/protocol/ProtocolRegistry.h"

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

#include "core/protocol/InternetProtocol.h"
#include "os/File.h"
#include "core/protocol/ProtocolNamespace.h"
#include "os/UiThreadCall.h"

namespace lumora {

namespace {

class TProtocolRegistry {
 public:
  // Recursive: AddProtocol deactivates an earlier holder of its scheme,
  // which calls RemoveProtocol on the same thread.
  std::recursive_mutex Lock;
  // Unsorted; each scheme at most once.
  std::vector<std::pair<String, TInternetProtocol*>> List;
  // Exists exactly while List is not empty.
  std::unique_ptr<TProtocolNamespace> Namespace;
  // What makes Namespace: the platform's URL layer, or none.
  TProtocolNamespaceMaker NewNamespace;

  auto Find(const String& scheme) {
    return std::find_if(List.begin(), List.end(),
                        [&](const auto& entry) { return SameTextLocale(entry.first, scheme); });
  }
};

// The process-wide registry, between SetUpProtocolRegistry and
// ReleaseProtocolRegistry.
std::unique_ptr<TProtocolRegistry> Registry;

// The registry, or an error for a use before set-up or after release.
TProtocolRegistry& TheRegistry() {
  if (!Registry) throw EInternetException(u"The protocol registry is not set up");
  return *Registry;
}

// Takes the registry's lock while answering the requests that other threads
// hand to this one: such a thread may hold the lock while it waits here.
class TRegistryLock {
 public:
  explicit TRegistryLock(TProtocolRegistry& registry) : FRegistry(registry) {
    TUiThreadCall::LockServingCalls(registry.Lock);
  }
  ~TRegistryLock() { FRegistry.Lock.unlock(); }
  TRegistryLock(const TRegistryLock&) = delete;
  TRegistryLock& operator=(const TRegistryLock&) = delete;

 private:
  TProtocolRegistry& FRegistry;
};

}  // namespace

void SetUpProtocolRegistry(TProtocolNamespaceMaker newNamespace) {
  if (Registry) return;
  Registry = std::make_unique<TProtocolRegistry>();
  Registry->NewNamespace = std::move(newNamespace);
}

void ReleaseProtocolRegistry() {
  if (!Registry) return;
  {
    TRegistryLock lock(*Registry);
    while (!Registry->List.empty()) {
      TInternetProtocol* component = Registry->List.front().second;
      component->SetActive(false);
      // A component whose deactivation failed would keep the loop going.
      if (!Registry->List.empty() && Registry->List.front().second == component) {
        Registry->List.erase(Registry->List.begin());
      }
    }
    Registry->Namespace.reset();
  }
  Registry.reset();
}

void AddProtocol(const String& scheme, TInternetProtocol& component) {
  TProtocolRegistry& registry = TheRegistry();
  TRegistryLock lock(registry);
  const auto existing = registry.Find(scheme);
  if (existing != registry.List.end()) existing->second->SetActive(false);
  const bool first = registry.List.empty();
  if (first) {
    registry.Namespace = registry.NewNamespace ? registry.NewNamespace() : std::make_unique<TProtocolNamespace>();
  }
  try {
    registry.Namespace->Register(scheme);
  } catch (...) {
    if (first) registry.Namespace.reset();
    throw;
  }
  registry.List.emplace_back(scheme, &component);
}

void RemoveProtocol(const String& scheme) {
  if (!Registry) return;
  TRegistryLock lock(*Registry);
  const auto entry = Registry->Find(scheme);
  if (entry == Registry->List.end()) return;
  // The scheme as it was registered: the URL layer may compare exactly.
  Registry->Namespace->Unregister(entry->first);
  Registry->List.erase(entry);
  if (Registry->List.empty()) Registry->Namespace.reset();
}

bool ProtocolNamespaceHeld() {
  if (!Registry) return false;
  TRegistryLock lock(*Registry);
  return Registry->Namespace != nullptr;
}

std::unique_ptr<TStream> RequestProtocolStream(StringView url) {
  String request(url);
  String scheme;
  const size_t colon = request.find(u':');
  if (colon != String::npos) {
    scheme = request.substr(0, colon);
    request.erase(0, colon + 1);
  }
  std::unique_ptr<TStream> stream;
  if (!Registry) return stream;
  {
    TRegistryLock lock(*Registry);
    const auto entry = Registry->Find(scheme);
    if (entry != Registry->List.end()) entry->second->SendRequest(request, stream);
  }
  if (stream) stream->SetPosition(0);
  return stream;
}

}  // namespace lumora
