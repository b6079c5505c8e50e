#include "os/linux/WebKitScriptBridge.h"

#include <webkit2/webkit2.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/bridge/JsConstants.h"
#include "core/os/Random.h"
#include "os/linux/GLibPtr.h"
#include "os/linux/JsonString.h"

namespace lumora {

namespace {

constexpr char kViewKey[] = "lumora-script-bridge-view";
constexpr char kTokenHeader[] = "X-Lumora-Bridge";
// A call carries a few arguments; anything far larger is not a call.
constexpr gsize kMaxCallBytes = 64u * 1024u * 1024u;

// __SCHEME__, __TOKEN__ and __NAMES__ are filled in. The token lives only in
// this closure: the functions a page can reach show no literal of it.
// A call's body is the function's identifier, then one line per argument:
// a kind letter and, for text and numbers, the UTF-16 code units in hex
// (lossless, lone surrogates included).
constexpr char kBridgeScript[] = R"js((function () {
  'use strict';
  if (location.protocol !== '__SCHEME__') return;
  var token = '__TOKEN__';
  var ids = __NAMES__;
  var url = location.protocol + '//' + location.host + '/lumora-external';
  var XHR = XMLHttpRequest;
  var open = XHR.prototype.open, setHeader = XHR.prototype.setRequestHeader, send = XHR.prototype.send;
  var hex = function (text) {
    var out = '';
    for (var i = 0; i < text.length; i++) out += ('000' + text.charCodeAt(i).toString(16)).slice(-4);
    return out;
  };
  var encode = function (v) {
    if (v === undefined || v === null) return 'u';
    if (typeof v === 'boolean') return v ? 'b1' : 'b0';
    if (typeof v === 'number') return 'n' + hex(String(v));
    return 's' + hex(String(v));
  };
  var call = function (id, args) {
    var lines = [String(id)];
    for (var i = 0; i < args.length; i++) lines.push(encode(args[i]));
    var xhr = new XHR();
    open.call(xhr, 'POST', url, false);
    setHeader.call(xhr, '__HEADER__', token);
    send.call(xhr, lines.join('\n'));
    var answer = JSON.parse(xhr.responseText);
    if (answer.ok) return answer.value;
    var error = new Error(answer.error.message);
    error.name = answer.error.name;
    throw error;
  };
  // Only the letters A-Z are folded, as the function table matches names.
  var fold = function (name) {
    return name.replace(/[A-Z]/g, function (c) { return String.fromCharCode(c.charCodeAt(0) + 32); });
  };
  var idOf = function (name) {
    if (typeof name !== 'string') return undefined;
    var key = fold(name);
    return Object.prototype.hasOwnProperty.call(ids, key) ? ids[key] : undefined;
  };
  var external = new Proxy({}, {
    get: function (target, name) {
      var id = idOf(name);
      if (id === undefined) return undefined;
      return function () { return call(id, arguments); };
    },
    has: function (target, name) { return idOf(name) !== undefined; },
    set: function () { return true; }
  });
  try { Object.defineProperty(window, 'external', { value: external, configurable: true }); }
  catch (e) { window.external = external; }
})();)js";

void Replace(std::string& text, const std::string& marker, const std::string& value) {
  for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + value.size())) {
    text.replace(at, marker.size(), value);
  }
}

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

// {"webfind":1,...}: the table's names folded as the script folds them.
std::string NamesObject() {
  std::string names = "{";
  for (const TJsFunction& function : JsFunctions) {
    std::string name = ToUtf8(function.Name);
    for (char& c : name) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (names.size() > 1) names += ",";
    names += "\"" + name + "\":" + std::to_string(function.ID);
  }
  return names + "}";
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

bool DecodeHex(std::string_view hex, String& text) {
  if (hex.size() % 4 != 0) return false;
  for (size_t i = 0; i < hex.size(); i += 4) {
    unsigned value = 0;
    for (size_t j = i; j < i + 4; ++j) {
      const int digit = g_ascii_xdigit_value(hex[j]);
      if (digit < 0) return false;
      value = value * 16 + static_cast<unsigned>(digit);
    }
    text += static_cast<char16_t>(value);
  }
  return true;
}

bool DecodeArgument(std::string_view line, TJsValue& value) {
  if (line == "u") return value = TJsValue(), true;
  if (line == "b1" || line == "b0") return value = TJsValue::Boolean(line == "b1"), true;
  if (line.empty() || (line[0] != 's' && line[0] != 'n')) return false;
  String text;
  if (!DecodeHex(line.substr(1), text)) return false;
  if (line[0] == 's') return value = TJsValue::Text(std::move(text)), true;
  // The script's own spelling of a number: "2.5", "1e+21", "NaN",
  // "-Infinity". g_ascii_strtod reads all of them whatever the locale.
  const std::string number = ToUtf8(text);
  char* end = nullptr;
  const double parsed = g_ascii_strtod(number.c_str(), &end);
  if (number.empty() || end != number.c_str() + number.size()) return false;
  value = TJsValue::Number(parsed);
  return true;
}

// The body's identifier and arguments; the arguments come last first, as
// the bridge takes them.
bool ParseCall(const std::string& body, int32_t& id, std::vector<TJsValue>& params) {
  std::vector<std::string_view> lines;
  std::string_view rest(body);
  for (;;) {
    const size_t end = rest.find('\n');
    lines.push_back(rest.substr(0, end));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  const std::string first(lines[0]);
  char* end = nullptr;
  const gint64 parsed = g_ascii_strtoll(first.c_str(), &end, 10);
  if (first.empty() || end != first.c_str() + first.size() || parsed < INT32_MIN || parsed > INT32_MAX) return false;
  id = static_cast<int32_t>(parsed);
  for (size_t i = lines.size(); i-- > 1;) {
    TJsValue value;
    if (!DecodeArgument(lines[i], value)) return false;
    params.push_back(std::move(value));
  }
  return true;
}

std::string JsonValue(const TJsValue& value) {
  switch (value.Kind()) {
    case TJsValue::TKind::Text:
      return JsonString(value.AsString());
    case TJsValue::TKind::Boolean:
      return value.AsBoolean() ? "true" : "false";
    case TJsValue::TKind::Number: {
      if (!std::isfinite(value.AsNumber())) return "null";
      char buffer[G_ASCII_DTOSTR_BUF_SIZE];
      return g_ascii_dtostr(buffer, sizeof buffer, value.AsNumber());
    }
    case TJsValue::TKind::Undefined:
      break;
  }
  return {};
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
  std::string source = kBridgeScript;
  Replace(source, "__SCHEME__", ToUtf8(scheme) + ":");
  Replace(source, "__TOKEN__", Token());
  Replace(source, "__HEADER__", kTokenHeader);
  Replace(source, "__NAMES__", NamesObject());
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
  if (!ReadBody(request, body) || !ParseCall(body, id, params)) {
    Refuse(request, "The script bridge received a malformed call");
    return true;
  }
  // A copy: the function may close the window and free the view.
  const TExternalCallHandler handler = *calls;
  TJsValue result;
  TJsError error;
  const bool ok = handler ? handler(id, params, result, error) : true;
  if (!ok) {
    Answer(request, "{\"ok\":false,\"error\":{\"name\":" + JsonString(error.Source) +
                        ",\"message\":" + JsonString(error.Message) + "}}");
    return true;
  }
  const std::string value = JsonValue(result);
  Answer(request, value.empty() ? "{\"ok\":true}" : "{\"ok\":true,\"value\":" + value + "}");
  return true;
}

}  // namespace lumora
