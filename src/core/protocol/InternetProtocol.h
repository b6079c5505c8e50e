// The component that serves one URL scheme to the embedded browser. While
// it is active its scheme is in the process-wide protocol registry
// (ProtocolRegistry.h), which registers it with the platform's URL layer for
// this process only, and every request for the scheme raises
// OnRequestStream on the thread that created the component.
#pragma once

#include <functional>
#include <memory>

#include "base/Exception.h"
#include "base/Stream.h"
#include "base/String.h"
#include "os/UiThreadCall.h"

namespace lumora {

class TInternetProtocol;

// The request event. Request is the URL after the scheme's colon
// ("//site/a.html" for "lmp://site/a.html"). The handler sets Stream to a new
// stream holding the whole answer, which then belongs to the caller, or
// leaves it empty when it has nothing to give.
using TProtocolRequest =
    std::function<void(TInternetProtocol& Sender, const String& Request, std::unique_ptr<TStream>& Stream)>;

// A scheme name that is no valid identifier.
class EInternetException : public Exception {
  using Exception::Exception;
};

class TInternetProtocol {
 public:
  // Inactive, with the scheme "private" and no event handler. Must be
  // created on the user-interface thread: requests are handed to the thread
  // that creates the component.
  TInternetProtocol();
  // Deactivates (unregistering the scheme) first.
  ~TInternetProtocol();
  TInternetProtocol(const TInternetProtocol&) = delete;
  TInternetProtocol& operator=(const TInternetProtocol&) = delete;

  bool Active() const { return FActive; }
  // Registers or unregisters the scheme; nothing when Value is the current
  // state. An error while registering leaves the component inactive.
  void SetActive(bool Value);

  const String& Protocol() const { return FProtocol; }
  // Raises EInternetException ("The Internet Protocol selected is not a
  // valid protocol identifier") unless Value is an identifier: a Unicode
  // letter or "_", then letters, decimal digits or "_". An active component
  // is registered again under the new name.
  void SetProtocol(const String& Value);

  const TProtocolRequest& OnRequestStream() const { return FRequest; }
  void SetOnRequestStream(TProtocolRequest Value) { FRequest = std::move(Value); }

  // Carries a request to the creating thread, raises OnRequestStream there
  // and returns when the handler has answered. The registry calls this with
  // its lock held, so the component cannot go away meanwhile.
  void SendRequest(const String& Request, std::unique_ptr<TStream>& Stream);

  static bool IsValidIdent(StringView name);

 private:
  void RegisterProtocol();
  void UnregisterProtocol();
  // Runs on the creating thread.
  void WndProc(const String& Request, std::unique_ptr<TStream>& Stream);

  TUiThreadCall FHandle;
  bool FActive = false;
  String FProtocol = u"private";
  TProtocolRequest FRequest;
};

}  // namespace lumora
