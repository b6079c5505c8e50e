// The browser view's end of window.external's channel: a real web view is
// handed one end of a socket pair as the web process extension hands it,
// and the test plays the page's process on the other end. Calls reach the
// owner only while it is attached, and the page sees what the owner
// decided (here, as the browser view does, it refuses calls unless the view
// shows a page of the site); anything but whole calls within the limit
// closes the channel.
#include <gio/gunixfdlist.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <webkit2/webkit2.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "core/bridge/ScriptBridgeWire.h"
#include "platform/linux/browser/WebKitScriptBridge.h"
#include "support/TestSupport.h"
#include "support/linux/MainLoop.h"

namespace lumora {
namespace {

class WebKitScriptBridgeLinuxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
    FWeb = WEBKIT_WEB_VIEW(g_object_ref_sink(webkit_web_view_new()));
    FHandler = [this](int32_t id, const std::vector<TJsValue>& params, TJsValue& result, TJsError& error) {
      const char* uri = webkit_web_view_get_uri(FWeb);
      if (uri == nullptr || !g_str_has_prefix(uri, "lmp:")) return TExternalOutcome::Refused;
      FCalls.push_back({id, params});
      if (id == 0) {
        error = {u"EFOpenError", u"Cannot open"};
        return TExternalOutcome::Raised;
      }
      result = TJsValue::Text(u"answer");
      return TExternalOutcome::Done;
    };
    AddWebKitScriptBridge(FWeb, FHandler);
  }

  void TearDown() override {
    for (int fd : FPages) ::close(fd);
    if (FWeb) {
      DetachWebKitScriptBridge(FWeb);
      g_object_unref(FWeb);
    }
  }

  // Shows a page whose address is of the site (or of another scheme).
  void Show(const char* uri) {
    webkit_web_view_load_html(FWeb, "<p>page</p>", uri);
    test::WaitUntil([&] { return g_strcmp0(webkit_web_view_get_uri(FWeb), uri) == 0; }, std::chrono::seconds(20),
                    test::RunMainLoopOnce);
    ASSERT_STREQ(webkit_web_view_get_uri(FWeb), uri);
  }

  // Hands the view one end of a new channel, as the extension does for a
  // page; the other end is the page's.
  int Connect() {
    int ends[2];
    EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    GUnixFDList* fds = g_unix_fd_list_new_from_array(&ends[1], 1);
    WebKitUserMessage* message = WEBKIT_USER_MESSAGE(
        g_object_ref_sink(webkit_user_message_new_with_fd_list("lumora-bridge-channel", nullptr, fds)));
    gboolean handled = FALSE;
    g_signal_emit_by_name(FWeb, "user-message-received", message, &handled);
    EXPECT_TRUE(handled);
    g_object_unref(message);
    g_object_unref(fds);
    FPages.push_back(ends[0]);
    return ends[0];
  }

  // Sends bytes as the page and runs the loop until the answer has come:
  // its body, or nullopt when the view closed the channel instead.
  std::optional<std::string> Exchange(int page, const std::string& bytes) {
    EXPECT_EQ(::send(page, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    std::string got;
    bool closed = false;
    const auto answered = [&] {
      char buffer[4096];
      const ssize_t n = ::recv(page, buffer, sizeof buffer, MSG_DONTWAIT);
      if (n == 0) closed = true;
      if (n > 0) got.append(buffer, static_cast<size_t>(n));
      return closed || (got.size() >= kBridgeFrameHeaderBytes &&
                        got.size() == kBridgeFrameHeaderBytes +
                                          BridgeFrameBodySize(reinterpret_cast<const uint8_t*>(got.data())));
    };
    if (!test::WaitUntil(answered, std::chrono::seconds(20), test::RunMainLoopOnce)) {
      ADD_FAILURE() << "no answer";
      return std::nullopt;
    }
    if (closed) return std::nullopt;
    return got.substr(kBridgeFrameHeaderBytes);
  }

  struct TAnswer {
    bool Ok = false;
    TJsValue Result;
    TJsError Error;
  };
  static TAnswer Read(const std::optional<std::string>& body) {
    TAnswer answer;
    EXPECT_TRUE(body.has_value());
    if (body) {
      EXPECT_TRUE(ParseBridgeAnswer(reinterpret_cast<const uint8_t*>(body->data()), body->size(), answer.Ok,
                                    answer.Result, answer.Error));
    }
    return answer;
  }

  struct TCall {
    int32_t ID;
    std::vector<TJsValue> Params;
  };
  WebKitWebView* FWeb = nullptr;
  TExternalCall FHandler;
  std::vector<TCall> FCalls;
  std::vector<int> FPages;
};

TEST_F(WebKitScriptBridgeLinuxTest, CallsReachTheHandlerOnlyFromTheSite) {
  const int page = Connect();
  const std::string call = BridgeCallFrame(9999, {TJsValue::Text(u"Bob"), TJsValue::Number(2)});

  // No page yet, then a page of another scheme: refused, the handler not
  // reached, the channel still open.
  TAnswer answer = Read(Exchange(page, call));
  EXPECT_FALSE(answer.Ok);
  EXPECT_EQ(answer.Error.Source, u"SecurityError");
  Show("https://example.org/");
  EXPECT_FALSE(Read(Exchange(page, call)).Ok);
  EXPECT_TRUE(FCalls.empty());

  Show("lmp://site/index.html");
  answer = Read(Exchange(page, call));
  EXPECT_TRUE(answer.Ok);
  EXPECT_EQ(answer.Result, TJsValue::Text(u"answer"));
  ASSERT_EQ(FCalls.size(), 1u);
  EXPECT_EQ(FCalls[0].ID, 9999);
  EXPECT_EQ(FCalls[0].Params, (std::vector<TJsValue>{TJsValue::Number(2), TJsValue::Text(u"Bob")}));

  // An error of the function comes back as the function raised it.
  answer = Read(Exchange(page, BridgeCallFrame(0, {})));
  EXPECT_FALSE(answer.Ok);
  EXPECT_EQ(answer.Error.Source, u"EFOpenError");
  EXPECT_EQ(answer.Error.Message, u"Cannot open");

  // A second page of the view has a channel of its own.
  EXPECT_TRUE(Read(Exchange(Connect(), call)).Ok);

  // Once the owner has gone, nothing reaches it.
  DetachWebKitScriptBridge(FWeb);
  const size_t calls = FCalls.size();
  EXPECT_FALSE(Read(Exchange(page, call)).Ok);
  EXPECT_EQ(FCalls.size(), calls);
}

// The channel is a path of its own beside WebKit's: a page that calls as
// it loads can be heard before its view knows it shows the page. Such a
// call waits for the view rather than being refused at once.
TEST_F(WebKitScriptBridgeLinuxTest, ACallThatOvertakesTheNewsOfItsPageWaitsForIt) {
  const int page = Connect();
  g_timeout_add(
      100,
      [](gpointer web) {
        webkit_web_view_load_html(WEBKIT_WEB_VIEW(web), "<p>page</p>", "lmp://site/popup.html");
        return G_SOURCE_REMOVE;
      },
      FWeb);
  const TAnswer answer = Read(Exchange(page, BridgeCallFrame(9999, {})));
  EXPECT_TRUE(answer.Ok) << ToUtf8(answer.Error.Message);
  EXPECT_EQ(FCalls.size(), 1u);
}

TEST_F(WebKitScriptBridgeLinuxTest, AnythingButWholeCallsClosesTheChannel) {
  Show("lmp://site/index.html");
  const std::string call = BridgeCallFrame(9999, {TJsValue::Text(u"x")});
  auto header = [](uint32_t size) {
    std::string bytes(kBridgeFrameHeaderBytes, '\0');
    std::memcpy(bytes.data(), &size, sizeof size);
    return bytes;
  };
  const std::string malformed = header(3) + "abc";
  const std::string empty = header(0);
  const std::string tooLarge = header(static_cast<uint32_t>(kBridgeCallLimitBytes + 1));
  for (const std::string& bytes : {malformed, empty, tooLarge, call + call}) {
    const int page = Connect();
    EXPECT_FALSE(Exchange(page, bytes).has_value()) << bytes.size();
  }
  EXPECT_TRUE(FCalls.empty());
  // The view's other channels go on.
  EXPECT_TRUE(Read(Exchange(Connect(), call)).Ok);
}

}  // namespace
}  // namespace lumora
