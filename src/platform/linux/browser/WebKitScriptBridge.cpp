#include "platform/linux/browser/WebKitScriptBridge.h"

#include <gio/gunixfdlist.h>
#include <glib-unix.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <webkit2/webkit2.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "core/bridge/ScriptBridgeWire.h"

namespace lumora {

namespace {

constexpr char kBridgeKey[] = "lumora-script-bridge";
// What the extension sends with a page's end of its channel
// (webext/BridgeExtension.cpp).
constexpr char kChannelMessage[] = "lumora-bridge-channel";
// A view's pages open a channel each; a process that sends more than this
// is not our extension.
constexpr size_t kMostChannels = 64;
// The page waits for its answer and takes it at once; one that does not
// for this long is stuck, and its channel is closed.
constexpr int kAnswerTimeoutMs = 10000;
// How long an answered channel waits for the page's next call, and how
// long it may go on taking calls so before the main loop has its turn.
constexpr long kNextCallMicroseconds = 200;
constexpr gint64 kRunMicroseconds = 8000;
// Most calls arrive whole in one read of this size.
constexpr size_t kReceiveBytes = 64 * 1024;
// A page's call can overtake the news of the page itself: the channel is a
// path of its own beside WebKit's, so a page that calls as it loads (a
// window a page opened, a step back from another site) may be heard of
// before its view knows it shows it. A call the view refuses is asked
// again, as the loop runs, for this long before the refusal is sent.
constexpr gint64 kRefusalWaitMicroseconds = 2 * G_USEC_PER_SEC;
constexpr guint kRefusalRetryMs = 10;

class TChannel;

// A web view's link to its owner and the channels its pages opened.
struct TViewBridge {
  const TExternalCall* Call = nullptr;
  std::vector<std::shared_ptr<TChannel>> Channels;

  ~TViewBridge();
  void Drop(const TChannel* channel) {
    std::erase_if(Channels, [channel](const std::shared_ptr<TChannel>& c) { return c.get() == channel; });
  }
};

// One page's channel: reads a call's frame as it arrives, without
// blocking the loop, and answers it in one go.
class TChannel : public std::enable_shared_from_this<TChannel> {
 public:
  TChannel(int fd, TViewBridge& owner) : FFd(fd), FOwner(&owner), FInput(kReceiveBytes) {}
  ~TChannel() {
    Orphan();
    ::close(FFd);
  }
  TChannel(const TChannel&) = delete;
  TChannel& operator=(const TChannel&) = delete;

  void Start() {
    // At the priority of input and of the other requests: a page that calls
    // in a loop must not starve the window.
    FSource = g_unix_fd_add_full(G_PRIORITY_DEFAULT, FFd, static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR),
                                 OnReady, this, nullptr);
  }
  // The view is going: calls still to come are not answered.
  void Orphan() {
    FOwner = nullptr;
    if (FSource != 0) g_source_remove(FSource);
    FSource = 0;
    if (FRetrySource != 0) g_source_remove(FRetrySource);
    FRetrySource = 0;
  }

 private:
  static gboolean OnReady(gint, GIOCondition, gpointer data) {
    // Kept alive until the answer is out, whatever the call does to the view.
    const std::shared_ptr<TChannel> self = static_cast<TChannel*>(data)->shared_from_this();
    const gint64 until = g_get_monotonic_time() + kRunMicroseconds;
    for (;;) {
      const uint64_t answered = self->FAnswered;
      if (!self->Receive()) break;
      // A refused call waits (OnRetry), and nothing more is read meanwhile.
      if (self->FRetrySource != 0) {
        self->FSource = 0;
        return G_SOURCE_REMOVE;
      }
      // A page that calls in a loop sends its next call moments after its
      // answer: it is taken here, without a round of the main loop, for a
      // while, and then the loop has its turn.
      if (self->FAnswered == answered || self->FOwner == nullptr || g_get_monotonic_time() >= until ||
          !self->NextCallComes()) {
        return G_SOURCE_CONTINUE;
      }
    }
    self->FSource = 0;
    if (self->FOwner != nullptr) self->FOwner->Drop(self.get());
    return G_SOURCE_REMOVE;
  }

  bool NextCallComes() const {
    pollfd wait{FFd, POLLIN, 0};
    const timespec limit{0, kNextCallMicroseconds * 1000};
    return ::ppoll(&wait, 1, &limit, nullptr) > 0;
  }

  // Reads what has arrived and serves a call once its frame is whole.
  // False when the channel is closed, broken or misused.
  bool Receive() {
    for (;;) {
      const ssize_t got = ::recv(FFd, FInput.data() + FFilled, FInput.size() - FFilled, MSG_DONTWAIT);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return errno == EAGAIN || errno == EWOULDBLOCK;
      if (got == 0) return false;
      FFilled += static_cast<size_t>(got);
      if (FFilled < kBridgeFrameHeaderBytes) continue;
      const uint32_t body = BridgeFrameBodySize(FInput.data());
      if (body == 0 || body > kBridgeCallLimitBytes) return false;
      const size_t whole = kBridgeFrameHeaderBytes + body;
      if (FInput.size() < whole) FInput.resize(whole);
      if (FFilled < whole) continue;
      // The page sends nothing more before it has its answer.
      if (FFilled > whole) return false;
      const bool served = Serve(whole);
      FFilled = 0;
      // A large call's memory goes with it.
      if (FInput.size() > kReceiveBytes) std::vector<uint8_t>(kReceiveBytes).swap(FInput);
      return served;
    }
  }

  bool Serve(size_t whole) {
    FPending = {};
    if (!ParseBridgeCall(FInput.data() + kBridgeFrameHeaderBytes, whole - kBridgeFrameHeaderBytes, FPending.ID,
                         FPending.Params)) {
      return false;
    }
    FPending.RefusedUntil = g_get_monotonic_time() + kRefusalWaitMicroseconds;
    return Answer();
  }

  // Puts the pending call to the view and sends its answer, or, while the
  // view refuses it and may yet learn of its page, has it asked again.
  bool Answer() {
    TJsValue result;
    TJsError error;
    // A copy: the function may close the window and free the view.
    const TExternalCall call = FOwner != nullptr && FOwner->Call != nullptr ? *FOwner->Call : TExternalCall();
    const TExternalOutcome outcome =
        call ? call(FPending.ID, FPending.Params, result, error) : TExternalOutcome::Refused;
    if (outcome == TExternalOutcome::Refused && FOwner != nullptr && FOwner->Call != nullptr &&
        g_get_monotonic_time() < FPending.RefusedUntil) {
      if (FRetrySource == 0) FRetrySource = g_timeout_add(kRefusalRetryMs, OnRetry, this);
      return true;
    }
    if (outcome == TExternalOutcome::Refused)
      error = {u"SecurityError", u"window.external: the program refuses calls from this page"};
    const bool ok = outcome == TExternalOutcome::Done;
    ++FAnswered;
    FPending = {};
    return Send(BridgeAnswerFrame(ok, result, error));
  }

  static gboolean OnRetry(gpointer data) {
    const std::shared_ptr<TChannel> self = static_cast<TChannel*>(data)->shared_from_this();
    self->FRetrySource = 0;
    if (!self->Answer()) {
      if (self->FOwner != nullptr) self->FOwner->Drop(self.get());
      return G_SOURCE_REMOVE;
    }
    // Answered: the page's next call is read as before.
    if (self->FRetrySource == 0 && self->FOwner != nullptr) self->Start();
    return G_SOURCE_REMOVE;
  }

  bool Send(const std::string& frame) {
    const char* bytes = frame.data();
    size_t left = frame.size();
    while (left > 0) {
      const ssize_t sent = ::send(FFd, bytes, left, MSG_DONTWAIT | MSG_NOSIGNAL);
      if (sent > 0) {
        bytes += sent;
        left -= static_cast<size_t>(sent);
        continue;
      }
      if (sent < 0 && errno == EINTR) continue;
      if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        pollfd wait{FFd, POLLOUT, 0};
        if (::poll(&wait, 1, kAnswerTimeoutMs) > 0 && (wait.revents & POLLOUT) != 0) continue;
      }
      return false;
    }
    return true;
  }

  int FFd;
  TViewBridge* FOwner;
  guint FSource = 0;
  // The frame being read, FFilled bytes of it so far: room for most calls
  // at once, more for a larger one while it is read.
  std::vector<uint8_t> FInput;
  size_t FFilled = 0;
  uint64_t FAnswered = 0;
  // The call being answered, kept while a refusal waits.
  struct TPendingCall {
    int32_t ID = 0;
    std::vector<TJsValue> Params;
    gint64 RefusedUntil = 0;
  } FPending;
  guint FRetrySource = 0;
};

TViewBridge::~TViewBridge() {
  for (const std::shared_ptr<TChannel>& channel : Channels) channel->Orphan();
}

bool IsSocket(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 && S_ISSOCK(info.st_mode);
}

gboolean OnUserMessage(WebKitWebView*, WebKitUserMessage* message, gpointer data) {
  if (g_strcmp0(webkit_user_message_get_name(message), kChannelMessage) != 0) return FALSE;
  auto& bridge = *static_cast<TViewBridge*>(data);
  GUnixFDList* fds = webkit_user_message_get_fd_list(message);
  if (fds == nullptr || g_unix_fd_list_get_length(fds) != 1 || bridge.Channels.size() >= kMostChannels) return TRUE;
  const int fd = g_unix_fd_list_get(fds, 0, nullptr);  // a copy of our own
  if (fd < 0) return TRUE;
  if (!IsSocket(fd)) {
    ::close(fd);
    return TRUE;
  }
  auto channel = std::make_shared<TChannel>(fd, bridge);
  channel->Start();
  bridge.Channels.push_back(std::move(channel));
  return TRUE;
}

}  // namespace

void AddWebKitScriptBridge(WebKitWebView* web, const TExternalCall& call) {
  auto* bridge = new TViewBridge;
  bridge->Call = &call;
  // Freed with the web view, after its signal handlers are gone.
  g_object_set_data_full(G_OBJECT(web), kBridgeKey, bridge,
                         [](gpointer data) { delete static_cast<TViewBridge*>(data); });
  g_signal_connect(web, "user-message-received", G_CALLBACK(OnUserMessage), bridge);
}

void DetachWebKitScriptBridge(WebKitWebView* web) {
  if (auto* bridge = static_cast<TViewBridge*>(g_object_get_data(G_OBJECT(web), kBridgeKey))) {
    bridge->Call = nullptr;
  }
}

}  // namespace lumora
