#include "core/bridge/ScriptBridgeWire.h"

#include <cstring>

#include "core/bridge/JsConstants.h"
#include "core/bridge/JsonString.h"

namespace lumora {

namespace {

// __SCHEME__, __NAMES__, __LIMIT__ and __TOO_LARGE__ are filled in. The
// page's own functions may be replaced by the page later: what the calls
// rely on is taken before any script of the page runs.
constexpr char kBridgeScript[] = R"js((function (call) {
  'use strict';
  if (location.protocol !== '__SCHEME__' || self.origin === 'null') return;
  var ids = __NAMES__;
  var limit = __LIMIT__;
  var apply = Reflect.apply, create = Object.create, defineProperty = Object.defineProperty;
  var toText = String, TooLarge = RangeError, fromCharCode = String.fromCharCode;
  var hasOwn = Function.prototype.call.bind(Object.prototype.hasOwnProperty);
  var replace = Function.prototype.call.bind(String.prototype.replace);
  // The page's spelling of a name, and each function once made.
  var spellings = create(null), functions = create(null);
  // FoldFunctionName, in the page: only the letters A-Z are folded.
  var fold = function (name) {
    return replace(name, /[A-Z]/g, function (c) { return fromCharCode(c.charCodeAt(0) + 32); });
  };
  // Each argument as the wire carries it, its size counted as the wire
  // counts it: the call's identifier and count, then per argument its kind
  // and a number's 8 bytes or a text's length and UTF-16 units.
  var make = function (id) {
    return function () {
      var count = arguments.length, args = [id], bytes = 8;
      for (var i = 0; i < count; i++) {
        var value = arguments[i], type = typeof value;
        if ((type === 'object' && value !== null) || type === 'function' || type === 'symbol' || type === 'bigint') {
          value = toText(value);
          type = 'string';
        }
        bytes += type === 'string' ? 5 + 2 * value.length : type === 'number' ? 9 : 1;
        args[i + 1] = value;
      }
      if (bytes > limit) throw new TooLarge('__TOO_LARGE__');
      return apply(call, undefined, args);
    };
  };
  var lookup = function (name) {
    if (typeof name !== 'string') return undefined;
    var found = spellings[name];
    if (found !== undefined) return found;
    var key = fold(name);
    if (!hasOwn(ids, key)) return undefined;
    var id = ids[key];
    found = functions[id] || (functions[id] = make(id));
    spellings[name] = found;
    return found;
  };
  var external = new Proxy({}, {
    get: function (target, name) { return lookup(name); },
    has: function (target, name) { return lookup(name) !== undefined; },
    set: function () { return true; }
  });
  try { defineProperty(window, 'external', { value: external, configurable: true }); }
  catch (e) { window.external = external; }
}))js";

constexpr char kTooLargeMessage[] = "window.external: the arguments of one call are limited to 64 MiB";

constexpr uint8_t kUndefined = 'u';
constexpr uint8_t kFalse = 'f';
constexpr uint8_t kTrue = 't';
constexpr uint8_t kNumber = 'n';
constexpr uint8_t kText = 's';
constexpr uint8_t kValueAnswer = 'v';
constexpr uint8_t kErrorAnswer = 'e';

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

// Appends to a frame whose first kBridgeFrameHeaderBytes hold its body's
// size once Finish has run.
class TFrameWriter {
 public:
  TFrameWriter() : FBytes(kBridgeFrameHeaderBytes, '\0') {}

  void Byte(uint8_t value) { FBytes.push_back(static_cast<char>(value)); }
  template <typename T>
  void Raw(T value) {
    FBytes.append(reinterpret_cast<const char*>(&value), sizeof value);
  }
  void Text(StringView text) {
    Raw(static_cast<uint32_t>(text.size()));
    FBytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t));
  }
  void Value(const TJsValue& value) {
    switch (value.Kind()) {
      case TJsValue::TKind::Undefined:
        return Byte(kUndefined);
      case TJsValue::TKind::Boolean:
        return Byte(value.AsBoolean() ? kTrue : kFalse);
      case TJsValue::TKind::Number:
        Byte(kNumber);
        return Raw(value.AsNumber());
      case TJsValue::TKind::Text:
        Byte(kText);
        return Text(value.AsString());
    }
  }
  std::string Finish() {
    const auto size = static_cast<uint32_t>(FBytes.size() - kBridgeFrameHeaderBytes);
    std::memcpy(FBytes.data(), &size, sizeof size);
    return std::move(FBytes);
  }

 private:
  std::string FBytes;
};

// Reads a body front to back; every read fails once the bytes run out.
class TFrameReader {
 public:
  TFrameReader(const uint8_t* bytes, size_t size) : FAt(bytes), FEnd(bytes + size) {}

  bool AtEnd() const { return FAt == FEnd; }
  bool Byte(uint8_t& value) {
    if (FAt == FEnd) return false;
    value = *FAt++;
    return true;
  }
  template <typename T>
  bool Raw(T& value) {
    if (static_cast<size_t>(FEnd - FAt) < sizeof value) return false;
    std::memcpy(&value, FAt, sizeof value);
    FAt += sizeof value;
    return true;
  }
  bool Text(String& text) {
    uint32_t units = 0;
    if (!Raw(units) || static_cast<size_t>(FEnd - FAt) / sizeof(char16_t) < units) return false;
    text.resize(units);
    std::memcpy(text.data(), FAt, units * sizeof(char16_t));
    FAt += units * sizeof(char16_t);
    return true;
  }
  bool Value(TJsValue& value) {
    uint8_t kind = 0;
    if (!Byte(kind)) return false;
    switch (kind) {
      case kUndefined:
        value = TJsValue();
        return true;
      case kFalse:
      case kTrue:
        value = TJsValue::Boolean(kind == kTrue);
        return true;
      case kNumber: {
        double number = 0;
        if (!Raw(number)) return false;
        value = TJsValue::Number(number);
        return true;
      }
      case kText: {
        String text;
        if (!Text(text)) return false;
        value = TJsValue::Text(std::move(text));
        return true;
      }
      default:
        return false;
    }
  }

 private:
  const uint8_t* FAt;
  const uint8_t* FEnd;
};

}  // namespace

String FoldFunctionName(StringView name) {
  String folded(name);
  for (char16_t& c : folded) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return folded;
}

std::string BridgeScript(StringView scheme) {
  std::string source = kBridgeScript;
  Replace(source, "__SCHEME__", ToUtf8(scheme) + ":");
  Replace(source, "__NAMES__", NamesObject());
  Replace(source, "__LIMIT__", std::to_string(kBridgeCallLimitBytes));
  Replace(source, "__TOO_LARGE__", kTooLargeMessage);
  return source;
}

std::string BridgeCallFrame(int32_t id, const std::vector<TJsValue>& args) {
  TFrameWriter frame;
  frame.Raw(id);
  frame.Raw(static_cast<uint32_t>(args.size()));
  for (const TJsValue& arg : args) frame.Value(arg);
  return frame.Finish();
}

bool ParseBridgeCall(const uint8_t* body, size_t size, int32_t& id, std::vector<TJsValue>& params) {
  TFrameReader reader(body, size);
  uint32_t count = 0;
  // Each argument takes a byte at least: a count beyond the bytes is a lie.
  if (!reader.Raw(id) || !reader.Raw(count) || count > size) return false;
  std::vector<TJsValue> args(count);
  for (TJsValue& arg : args) {
    if (!reader.Value(arg)) return false;
  }
  if (!reader.AtEnd()) return false;
  params.assign(std::make_move_iterator(args.rbegin()), std::make_move_iterator(args.rend()));
  return true;
}

std::string BridgeAnswerFrame(bool ok, const TJsValue& result, const TJsError& error) {
  TFrameWriter frame;
  if (ok) {
    frame.Byte(kValueAnswer);
    frame.Value(result);
  } else {
    frame.Byte(kErrorAnswer);
    frame.Text(error.Source);
    frame.Text(error.Message);
  }
  return frame.Finish();
}

bool ParseBridgeAnswer(const uint8_t* body, size_t size, bool& ok, TJsValue& result, TJsError& error) {
  TFrameReader reader(body, size);
  uint8_t kind = 0;
  if (!reader.Byte(kind)) return false;
  if (kind == kValueAnswer) {
    ok = true;
    return reader.Value(result) && reader.AtEnd();
  }
  ok = false;
  return kind == kErrorAnswer && reader.Text(error.Source) && reader.Text(error.Message) && reader.AtEnd();
}

uint32_t BridgeFrameBodySize(const uint8_t* header) {
  uint32_t size = 0;
  std::memcpy(&size, header, sizeof size);
  return size;
}

}  // namespace lumora
