#include "core/bridge/ScriptBridgeWire.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "core/bridge/JsConstants.h"
#include "core/bridge/JsonString.h"

namespace lumora {

namespace {

// __SCHEME__, __TOKEN__, __HEADER__ and __NAMES__ are filled in. The token
// lives only in this closure: the functions a page can reach show no
// literal of it.
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
  // FoldFunctionName, in the page: only the letters A-Z are folded.
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

// {"webfind":1,...}: the table's names folded as the script folds them.
std::string NamesObject() {
  std::string names = "{";
  for (const TJsFunction& function : JsFunctions) {
    if (names.size() > 1) names += ",";
    names += JsonString(FoldFunctionName(function.Name)) + ":" + std::to_string(function.ID);
  }
  return names + "}";
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool DecodeHex(std::string_view hex, String& text) {
  if (hex.size() % 4 != 0) return false;
  for (size_t i = 0; i < hex.size(); i += 4) {
    unsigned value = 0;
    for (size_t j = i; j < i + 4; ++j) {
      const int digit = HexDigit(hex[j]);
      if (digit < 0) return false;
      value = value * 16 + static_cast<unsigned>(digit);
    }
    text += static_cast<char16_t>(value);
  }
  return true;
}

// The script's own spelling of a number: "2.5", "1e+21", "NaN",
// "-Infinity"; from_chars reads all of them whatever the locale.
bool ParseNumber(const std::string& number, double& value) {
  const char* first = number.data();
  const char* last = first + number.size();
  if (number == "Infinity" || number == "-Infinity") {
    value = number[0] == '-' ? -INFINITY : INFINITY;
    return true;
  }
  const auto [end, error] = std::from_chars(first, last, value);
  return error == std::errc() && end == last;
}

bool DecodeArgument(std::string_view line, TJsValue& value) {
  if (line == "u") return value = TJsValue(), true;
  if (line == "b1" || line == "b0") return value = TJsValue::Boolean(line == "b1"), true;
  if (line.empty() || (line[0] != 's' && line[0] != 'n')) return false;
  String text;
  if (!DecodeHex(line.substr(1), text)) return false;
  if (line[0] == 's') return value = TJsValue::Text(std::move(text)), true;
  double number = 0;
  if (!ParseNumber(ToUtf8(text), number)) return false;
  value = TJsValue::Number(number);
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
      char buffer[32];
      const auto result = std::to_chars(buffer, buffer + sizeof buffer, value.AsNumber());
      return std::string(buffer, result.ptr);
    }
    case TJsValue::TKind::Undefined:
      break;
  }
  return {};
}

}  // namespace

String FoldFunctionName(StringView name) {
  String folded(name);
  for (char16_t& c : folded) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return folded;
}

std::string BridgeScript(StringView scheme, const std::string& header, const std::string& token) {
  std::string source = kBridgeScript;
  Replace(source, "__SCHEME__", ToUtf8(scheme) + ":");
  Replace(source, "__TOKEN__", token);
  Replace(source, "__HEADER__", header);
  Replace(source, "__NAMES__", NamesObject());
  return source;
}

bool ParseBridgeCall(std::string_view body, int32_t& id, std::vector<TJsValue>& params) {
  std::vector<std::string_view> lines;
  std::string_view rest(body);
  for (;;) {
    const size_t end = rest.find('\n');
    lines.push_back(rest.substr(0, end));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  const std::string_view first = lines[0];
  const auto [end, error] = std::from_chars(first.data(), first.data() + first.size(), id);
  if (first.empty() || error != std::errc() || end != first.data() + first.size()) return false;
  for (size_t i = lines.size(); i-- > 1;) {
    TJsValue value;
    if (!DecodeArgument(lines[i], value)) return false;
    params.push_back(std::move(value));
  }
  return true;
}

std::string BridgeAnswer(bool ok, const TJsValue& result, const TJsError& error) {
  if (!ok) {
    return "{\"ok\":false,\"error\":{\"name\":" + JsonString(error.Source) +
           ",\"message\":" + JsonString(error.Message) + "}}";
  }
  const std::string value = JsonValue(result);
  return value.empty() ? "{\"ok\":true}" : "{\"ok\":true,\"value\":" + value + "}";
}

}  // namespace lumora
