#include "os/linux/WebKitScriptBridge.h"

#include <webkit2/webkit2.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/os/Random.h"
#include "os/linux/GLibPtr.h"
#include "core/bridge/ScriptBridgeWire.h"

namespace lumora {

namespace {

constexpr char kViewKey[] = "lumora-script-bridge-view";
constexpr char kTokenHeader[] = "X-Lumora-Bridge";
// A call carries a few arguments; anything far larger is not a call.
constexpr gsize kMaxCallBytes = 64u * 1024u * 1024u;

// The process's token: random, made once, never shown outside the script.
const std::string& Token() {
  static const std::string token = [] {
    unsigned char bytes[16];
    OsRandomBytes(bytes, sizeof bytes);
    std::string text;
    for (unsigned char b : bytes) {
      static constexpr char digits[] = "0123456789abcdef";
      text += digits[b >> 4];
      text += digits[b & 15];
    }
    return text;
  }();
  return token;
}

void Refuse(WebKitURISchemeRequest* request, const char* why) {
  GError* error = g_error_new_literal(G_IO_ERROR, G_IO_ERROR_PERMISSION_DENIED, why);
  webkit_uri_scheme_request_finish_error(request, error);
  g_error_free(error);
}

bool ReadBody(WebKitURISchemeRequest* request, std::string& body) {
  GInputStream* input = webkit_uri_scheme_request_get_http_body(request);
  if (input == nullptr) return true;  // a call without arguments may come bodiless
  TGObjectPtr<GInputStream> owned(input);
  char buffer[16384];
  for (;;) {
    const gssize read = g_input_stream_read(input, buffer, sizeof buffer, nullptr, nullptr);
    if (read < 0) return false;
    if (read == 0) return true;
    body.append(buffer, static_cast<size_t>(read));
    if (body.size() > kMaxCallBytes) return false;
  }
}

void Answer(WebKitURISchemeRequest* request, const std::string& json) {
  GBytes* bytes = g_bytes_new(json.data(), json.size());
  GInputStream* input = g_memory_input_stream_new_from_bytes(bytes);
  g_bytes_unref(bytes);
  WebKitURISchemeResponse* response = webkit_uri_scheme_response_new(input, static_cast<gint64>(json.size()));
  g_object_unref(input);
  webkit_uri_scheme_response_set_content_type(response, "application/json");
  SoupMessageHeaders* headers = soup_message_headers_new(SOUP_MESSAGE_HEADERS_RESPONSE);
  soup_message_headers_append(headers, "Cache-Control", "no-store");
  webkit_uri_scheme_response_set_http_headers(response, headers);
  webkit_uri_scheme_request_finish_with_response(request, response);
  g_object_unref(response);
}

}  // namespace

void AddWebKitScriptBridge(WebKitUserContentManager* manager, WebKitWebView* web,
                           const TExternalCallHandler& handler, const String& scheme) {
  g_object_set_data(G_OBJECT(web), kViewKey, const_cast<TExternalCallHandler*>(&handler));
  const std::string source = BridgeScript(scheme, kTokenHeader, Token());
  WebKitUserScript* script = webkit_user_script_new(source.c_str(), WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                                                    WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
  webkit_user_content_manager_add_script(manager, script);
  webkit_user_script_unref(script);
}

void DetachWebKitScriptBridge(WebKitWebView* web) { g_object_set_data(G_OBJECT(web), kViewKey, nullptr); }

bool HandleWebKitScriptCall(WebKitURISchemeRequest* request) {
  SoupMessageHeaders* headers = webkit_uri_scheme_request_get_http_headers(request);
  const char* token = headers ? soup_message_headers_get_one(headers, kTokenHeader) : nullptr;
  if (token == nullptr) return false;
  if (Token() != token) {
    Refuse(request, "The script bridge refused the call");
    return true;
  }
  // Only a page of the scheme itself, shown in one of our views, calls.
  WebKitWebView* web = webkit_uri_scheme_request_get_web_view(request);
  auto* calls = web ? static_cast<const TExternalCallHandler*>(g_object_get_data(G_OBJECT(web), kViewKey)) : nullptr;
  const char* pageUri = web ? webkit_web_view_get_uri(web) : nullptr;
  const std::string prefix = std::string(webkit_uri_scheme_request_get_scheme(request)) + ":";
  const char* method = webkit_uri_scheme_request_get_http_method(request);
  if (calls == nullptr || pageUri == nullptr || g_ascii_strncasecmp(pageUri, prefix.c_str(), prefix.size()) != 0 ||
      method == nullptr || g_strcmp0(method, "POST") != 0) {
    Refuse(request, "The script bridge refused the call");
    return true;
  }
  std::string body;
  int32_t id = 0;
  std::vector<TJsValue> params;
  if (!ReadBody(request, body) || !ParseBridgeCall(body, id, params)) {
    Refuse(request, "The script bridge received a malformed call");
    return true;
  }
  // A copy: the function may close the window and free the view.
  const TExternalCallHandler handler = *calls;
  TJsValue result;
  TJsError error;
  const bool ok = handler ? handler(id, params, result, error) : true;
  Answer(request, BridgeAnswer(ok, result, error));
  return true;
}

}  // namespace lumora
