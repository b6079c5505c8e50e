// window.external inside WebKit's web process: a web process extension,
// built as a shared object of its own and carried in the runtime, which
// writes it out for WebKit to load (WebKitBridgeExtension.cpp).
//
// Each page made in the process gets a socket pair; one end stays here, the
// other goes to the page's browser view in a message through WebKit's own
// channel, so no name exists that another program could open. Each frame
// that shows a page of the site gets window.external, defined in its own
// script context before the page's first script runs: the core's bridge
// script, handed a native function bound to the frame. A call writes its
// frame (core/bridge/ScriptBridgeWire.h) on the socket and blocks until the
// browser view has answered; the page waits, as it would for the Windows
// control's IDispatch.
//
// Each call asks its own frame where it is: a frame that shows a page of
// another scheme by now, or is gone, reaches nothing.
//
// The extension also tells the page's own view, in messages no page can
// send or forge, of the two requests a view may only take from the page at
// its top: the window.close() of a top page of the site, and a link into
// the site that the user follows on a top page of another origin. WebKit's
// own close signal and the user content manager's script messages cannot
// say that much: the first is raised for any script WebKit lets close the
// window, and a window a page opened runs its opener's user content.
#include <JavaScriptCore/JavaScript.h>
#include <gio/gunixfdlist.h>
#include <sys/socket.h>
#include <unistd.h>
#include <webkit2/webkit-web-extension.h>

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "core/bridge/ScriptBridgeWire.h"

namespace lumora {
namespace {

// The message WebKitScriptBridge.cpp listens for.
constexpr char kChannelMessage[] = "lumora-bridge-channel";
constexpr char kChannelKey[] = "lumora-bridge-channel";

// One page's end of its channel to the browser view.
class TChannel {
 public:
  explicit TChannel(int fd) : FFd(fd) {}
  ~TChannel() { close(FFd); }
  TChannel(const TChannel&) = delete;
  TChannel& operator=(const TChannel&) = delete;

  // Sends a call's frame and waits for the answer's body. False when the
  // view is gone or broke the channel: later calls fail at once.
  bool Call(const std::string& frame, std::vector<uint8_t>& answer) {
    if (FBroken) return false;
    uint8_t header[kBridgeFrameHeaderBytes];
    FBroken = !WriteAll(frame.data(), frame.size()) || !ReadAll(header, sizeof header);
    if (FBroken) return false;
    answer.resize(BridgeFrameBodySize(header));
    FBroken = !ReadAll(answer.data(), answer.size());
    return !FBroken;
  }

 private:
  bool WriteAll(const char* bytes, size_t size) {
    while (size > 0) {
      const ssize_t sent = send(FFd, bytes, size, MSG_NOSIGNAL);
      if (sent < 0 && errno == EINTR) continue;
      if (sent <= 0) return false;
      bytes += sent;
      size -= static_cast<size_t>(sent);
    }
    return true;
  }
  bool ReadAll(uint8_t* bytes, size_t size) {
    while (size > 0) {
      const ssize_t got = recv(FFd, bytes, size, 0);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return false;
      bytes += got;
      size -= static_cast<size_t>(got);
    }
    return true;
  }

  int FFd;
  bool FBroken = false;
};

// The messages the browser view listens for (BrowserViewLinux.cpp).
constexpr char kCloseMessage[] = "lumora-window-close";
constexpr char kReturnMessage[] = "lumora-return-to-site";

// What the runtime handed the extension: the bridge script and the site's
// scheme, the classes of the native functions, and the script world of the
// extension's own listeners, which no page script reaches.
struct TExtension {
  std::string Script;
  std::string SchemePrefix;  // "lmp:"
  JSClassRef CallClass = nullptr;
  JSClassRef MessageClass = nullptr;
  WebKitScriptWorld* PrivateWorld = nullptr;
};

// What a frame's native call function knows: its frame and its page's
// channel, both held weakly (the function may outlive either).
struct TBinding {
  TBinding(WebKitFrame* frame, const std::shared_ptr<TChannel>& channel, const TExtension& extension)
      : Channel(channel), Extension(extension) {
    g_weak_ref_init(&Frame, frame);
  }
  ~TBinding() { g_weak_ref_clear(&Frame); }
  TBinding(const TBinding&) = delete;
  TBinding& operator=(const TBinding&) = delete;

  GWeakRef Frame;
  std::weak_ptr<TChannel> Channel;
  const TExtension& Extension;
};

bool IsSitePage(const char* uri, const TExtension& extension) {
  return uri != nullptr && g_ascii_strncasecmp(uri, extension.SchemePrefix.c_str(), extension.SchemePrefix.size()) == 0;
}

JSValueRef Text(JSContextRef context, StringView text) {
  JSStringRef string = JSStringCreateWithCharacters(reinterpret_cast<const JSChar*>(text.data()), text.size());
  JSValueRef value = JSValueMakeString(context, string);
  JSStringRelease(string);
  return value;
}

// An Error with the program's name and message, as the page is to see it.
JSValueRef Error(JSContextRef context, StringView name, StringView message) {
  const JSValueRef text = Text(context, message);
  JSObjectRef error = JSObjectMakeError(context, 1, &text, nullptr);
  JSStringRef property = JSStringCreateWithUTF8CString("name");
  JSObjectSetProperty(context, error, property, Text(context, name), kJSPropertyAttributeNone, nullptr);
  JSStringRelease(property);
  return error;
}

// A script value as the wire carries it. The bridge script has turned
// everything but primitives into text already.
bool ToJsValue(JSContextRef context, JSValueRef value, TJsValue& out, JSValueRef* exception) {
  switch (JSValueGetType(context, value)) {
    case kJSTypeUndefined:
    case kJSTypeNull:
      out = TJsValue();
      return true;
    case kJSTypeBoolean:
      out = TJsValue::Boolean(JSValueToBoolean(context, value));
      return true;
    case kJSTypeNumber:
      out = TJsValue::Number(JSValueToNumber(context, value, nullptr));
      return true;
    default:
      break;
  }
  JSStringRef string = JSValueToStringCopy(context, value, exception);
  if (string == nullptr) return false;
  const auto* units = reinterpret_cast<const char16_t*>(JSStringGetCharactersPtr(string));
  out = TJsValue::Text(String(units, JSStringGetLength(string)));
  JSStringRelease(string);
  return true;
}

JSValueRef FromJsValue(JSContextRef context, const TJsValue& value) {
  switch (value.Kind()) {
    case TJsValue::TKind::Undefined:
      break;
    case TJsValue::TKind::Boolean:
      return JSValueMakeBoolean(context, value.AsBoolean());
    case TJsValue::TKind::Number:
      return JSValueMakeNumber(context, value.AsNumber());
    case TJsValue::TKind::Text:
      return Text(context, value.AsString());
  }
  return JSValueMakeUndefined(context);
}

// The native call function: call(id, argument...).
JSValueRef CallProgram(JSContextRef context, JSObjectRef function, JSObjectRef, size_t count,
                       const JSValueRef arguments[], JSValueRef* exception) {
  const auto& binding = *static_cast<TBinding*>(JSObjectGetPrivate(function));
  const JSValueRef undefined = JSValueMakeUndefined(context);
  WebKitFrame* frame = static_cast<WebKitFrame*>(g_weak_ref_get(const_cast<GWeakRef*>(&binding.Frame)));
  const bool fromSite = frame != nullptr && IsSitePage(webkit_frame_get_uri(frame), binding.Extension);
  if (frame != nullptr) g_object_unref(frame);
  std::shared_ptr<TChannel> channel = binding.Channel.lock();
  if (!fromSite || !channel || count == 0) {
    *exception = Error(context, u"SecurityError", u"window.external: the program refuses calls from this page");
    return undefined;
  }

  const auto id = static_cast<int32_t>(JSValueToNumber(context, arguments[0], nullptr));
  std::vector<TJsValue> args(count - 1);
  for (size_t i = 1; i < count; ++i) {
    if (!ToJsValue(context, arguments[i], args[i - 1], exception)) return undefined;
  }
  const std::string frameBytes = BridgeCallFrame(id, args);
  args.clear();
  if (frameBytes.size() - kBridgeFrameHeaderBytes > kBridgeCallLimitBytes) {
    *exception = Error(context, u"RangeError", u"window.external: the arguments of one call are limited to 64 MiB");
    return undefined;
  }
  std::vector<uint8_t> answer;
  bool ok = false;
  TJsValue result;
  TJsError error;
  if (!channel->Call(frameBytes, answer) || !ParseBridgeAnswer(answer.data(), answer.size(), ok, result, error)) {
    *exception = Error(context, u"NetworkError", u"window.external: the program did not answer");
    return undefined;
  }
  if (!ok) {
    *exception = Error(context, error.Source, error.Message);
    return undefined;
  }
  return FromJsValue(context, result);
}

void FinalizeBinding(JSObjectRef function) { delete static_cast<TBinding*>(JSObjectGetPrivate(function)); }

// What a native message function knows: the message it sends, its page and
// top frame (held weakly), and which kind of page that frame must show
// when it is called: a page of the site, or one of another origin.
struct TMessageBinding {
  TMessageBinding(const char* name, WebKitWebPage* page, WebKitFrame* frame, bool fromSite, const TExtension& extension)
      : Name(name), FromSite(fromSite), Extension(extension) {
    g_weak_ref_init(&Page, page);
    g_weak_ref_init(&Frame, frame);
  }
  ~TMessageBinding() {
    g_weak_ref_clear(&Page);
    g_weak_ref_clear(&Frame);
  }
  TMessageBinding(const TMessageBinding&) = delete;
  TMessageBinding& operator=(const TMessageBinding&) = delete;

  const char* Name;
  GWeakRef Page;
  GWeakRef Frame;
  bool FromSite;
  const TExtension& Extension;
};

// The native message function: send(text?). It sends its message to the
// page's view while its frame is still the page's top frame and shows the
// kind of page it was made for; otherwise it does nothing.
JSValueRef SendToView(JSContextRef context, JSObjectRef function, JSObjectRef, size_t count,
                      const JSValueRef arguments[], JSValueRef*) {
  auto& binding = *static_cast<TMessageBinding*>(JSObjectGetPrivate(function));
  const JSValueRef undefined = JSValueMakeUndefined(context);
  auto* frame = static_cast<WebKitFrame*>(g_weak_ref_get(&binding.Frame));
  auto* page = static_cast<WebKitWebPage*>(g_weak_ref_get(&binding.Page));
  const bool sends = frame != nullptr && page != nullptr && webkit_frame_is_main_frame(frame) &&
                     IsSitePage(webkit_frame_get_uri(frame), binding.Extension) == binding.FromSite;
  if (sends) {
    GVariant* parameter = nullptr;
    if (count > 0) {
      JSStringRef text = JSValueToStringCopy(context, arguments[0], nullptr);
      if (text != nullptr) {
        std::string utf8(JSStringGetMaximumUTF8CStringSize(text), '\0');
        utf8.resize(JSStringGetUTF8CString(text, utf8.data(), utf8.size()) - 1);
        JSStringRelease(text);
        parameter = g_variant_new_string(utf8.c_str());
      }
    }
    webkit_web_page_send_message_to_view(page, webkit_user_message_new(binding.Name, parameter), nullptr, nullptr,
                                         nullptr);
  }
  if (frame != nullptr) g_object_unref(frame);
  if (page != nullptr) g_object_unref(page);
  return undefined;
}

void FinalizeMessageBinding(JSObjectRef function) {
  delete static_cast<TMessageBinding*>(JSObjectGetPrivate(function));
}

// Evaluates source, a function expression, in context and calls it with a
// native function that sends name to the view of page.
void RunWithMessage(JSGlobalContextRef context, const std::string& source, const char* name, WebKitWebPage* page,
                    WebKitFrame* frame, bool fromSite, const TExtension& extension) {
  JSStringRef script = JSStringCreateWithUTF8CString(source.c_str());
  JSValueRef factory = JSEvaluateScript(context, script, nullptr, nullptr, 1, nullptr);
  JSStringRelease(script);
  if (factory == nullptr || !JSValueIsObject(context, factory)) return;
  JSValueRef send =
      JSObjectMake(context, extension.MessageClass, new TMessageBinding(name, page, frame, fromSite, extension));
  JSObjectCallAsFunction(context, JSValueToObject(context, factory, nullptr), nullptr, 1, &send, nullptr);
}

// window.close() of a top page of the site asks its own view, which alone
// decides; a frame of another origin that calls top.close() reaches the
// browser's own close (a cross-origin window hands out its built-in
// functions only), which the view ignores. The page may replace it, as it
// could the browser's.
constexpr char kCloseScript[] = R"((function (send) {
  var close = function () { send(); };
  try { Object.defineProperty(window, 'close', { value: close, writable: true, configurable: true }); }
  catch (e) { window.close = close; }
}))";

// The way back from a top page of another origin, which WebKit keeps from
// navigating into the site: a link into the site that the user clicks (a
// trusted click, which no page script can make; one the page prevents
// stays prevented) is told to the view, which loads it itself. The
// listener lives in the extension's own world: the page's scripts see
// neither it nor the function it sends with, and cannot change the DOM
// functions it uses.
constexpr char kReturnScript[] = R"((function (send) {
  window.addEventListener('click', function (event) {
    if (!event.isTrusted || event.defaultPrevented || event.button !== 0 || !event.target.closest) return;
    var link = event.target.closest('a[href], area[href]');
    if (link && String(link.href).toLowerCase().indexOf('__SCHEME__') === 0) send(String(link.href));
  });
}))";

std::string WithScheme(const char* source, const TExtension& extension) {
  std::string script = source;
  const std::string marker = "__SCHEME__";
  for (size_t at = script.find(marker); at != std::string::npos; at = script.find(marker, at)) {
    script.replace(at, marker.size(), extension.SchemePrefix);
  }
  return script;
}

void OnPageCreated(WebKitWebExtension*, WebKitWebPage* page, gpointer) {
  int ends[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return;
  g_object_set_data_full(G_OBJECT(page), kChannelKey,
                         new std::shared_ptr<TChannel>(std::make_shared<TChannel>(ends[0])),
                         [](gpointer data) { delete static_cast<std::shared_ptr<TChannel>*>(data); });
  // The list takes the view's end and closes it here once the message has
  // carried a copy across.
  GUnixFDList* fds = g_unix_fd_list_new_from_array(&ends[1], 1);
  WebKitUserMessage* message = webkit_user_message_new_with_fd_list(kChannelMessage, nullptr, fds);
  g_object_unref(fds);
  webkit_web_page_send_message_to_view(page, message, nullptr, nullptr, nullptr);
}

// Pages may open windows from script alone (the view allows it, as the
// site's pages rely on it); a frame that is not a page of the site
// (another origin, or a blank, data: or srcdoc frame, which a page of
// another origin can make and reach) opens one only while the user has
// just acted in it, as browsers require. Set before its scripts run, and
// for good: the page cannot put the browser's own back. Whether the frame
// is a site page is asked at each call: a new window's first blank page
// hands its window object on to the site page that follows.
constexpr char kOpenGuard[] = R"((function () {
  var activation = navigator.userActivation, open = window.open;
  if (!activation || typeof open !== 'function') return;
  Object.defineProperty(window, 'open', { configurable: false, enumerable: true, writable: false,
    value: function () {
      return location.protocol === '__SCHEME__' || activation.isActive ? open.apply(window, arguments) : null;
    } });
})();)";

void GuardWindowOpen(JSGlobalContextRef context, const TExtension& extension) {
  JSStringRef source = JSStringCreateWithUTF8CString(WithScheme(kOpenGuard, extension).c_str());
  JSEvaluateScript(context, source, nullptr, nullptr, 1, nullptr);
  JSStringRelease(source);
}

// The frame's script context in world, through the C API, which the GLib
// one wraps and which hands a string's UTF-16 units over as they are (lone
// surrogates included).
JSGlobalContextRef ContextOf(WebKitFrame* frame, WebKitScriptWorld* world) {
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  return webkit_frame_get_javascript_context_for_script_world(frame, world);
  G_GNUC_END_IGNORE_DEPRECATIONS
}

void OnWindowObjectCleared(WebKitScriptWorld* world, WebKitWebPage* page, WebKitFrame* frame, gpointer data) {
  const auto& extension = *static_cast<TExtension*>(data);
  const bool site = IsSitePage(webkit_frame_get_uri(frame), extension);
  JSGlobalContextRef context = ContextOf(frame, world);
  if (webkit_frame_is_main_frame(frame)) {
    if (site) {
      RunWithMessage(context, kCloseScript, kCloseMessage, page, frame, true, extension);
    } else {
      RunWithMessage(ContextOf(frame, extension.PrivateWorld), WithScheme(kReturnScript, extension), kReturnMessage,
                     page, frame, false, extension);
    }
  }
  if (!site) {
    GuardWindowOpen(context, extension);
    return;
  }
  auto* channel = static_cast<std::shared_ptr<TChannel>*>(g_object_get_data(G_OBJECT(page), kChannelKey));
  if (channel == nullptr) return;
  JSStringRef source = JSStringCreateWithUTF8CString(extension.Script.c_str());
  JSValueRef factory = JSEvaluateScript(context, source, nullptr, nullptr, 1, nullptr);
  JSStringRelease(source);
  if (factory == nullptr || !JSValueIsObject(context, factory)) return;
  JSValueRef call = JSObjectMake(context, extension.CallClass, new TBinding(frame, *channel, extension));
  JSObjectCallAsFunction(context, JSValueToObject(context, factory, nullptr), nullptr, 1, &call, nullptr);
}

}  // namespace
}  // namespace lumora

// WebKit's entry point. data is ("script", "scheme") from the runtime.
extern "C" G_MODULE_EXPORT void webkit_web_extension_initialize_with_user_data(WebKitWebExtension* extension,
                                                                               GVariant* data) {
  using namespace lumora;
  if (data == nullptr || !g_variant_is_of_type(data, G_VARIANT_TYPE("(ss)"))) return;
  const char* script = nullptr;
  const char* scheme = nullptr;
  g_variant_get(data, "(&s&s)", &script, &scheme);
  auto* state = new TExtension{script, std::string(scheme) + ":"};
  JSClassDefinition definition = kJSClassDefinitionEmpty;
  definition.className = "LumoraExternalCall";
  definition.callAsFunction = CallProgram;
  definition.finalize = FinalizeBinding;
  state->CallClass = JSClassCreate(&definition);
  JSClassDefinition message = kJSClassDefinitionEmpty;
  message.className = "LumoraViewMessage";
  message.callAsFunction = SendToView;
  message.finalize = FinalizeMessageBinding;
  state->MessageClass = JSClassCreate(&message);
  state->PrivateWorld = webkit_script_world_new();
  // The state lives as long as the extension, which is the process's.
  g_object_set_data_full(G_OBJECT(extension), "lumora-bridge", state, [](gpointer p) {
    auto* owned = static_cast<TExtension*>(p);
    JSClassRelease(owned->CallClass);
    JSClassRelease(owned->MessageClass);
    g_object_unref(owned->PrivateWorld);
    delete owned;
  });
  g_signal_connect(extension, "page-created", G_CALLBACK(OnPageCreated), nullptr);
  g_signal_connect(webkit_script_world_get_default(), "window-object-cleared", G_CALLBACK(OnWindowObjectCleared),
                   state);
}
