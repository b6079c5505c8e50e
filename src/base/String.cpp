#include "base/String.h"

namespace lumora {

std::string ToUtf8(StringView text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

namespace {

// Decodes one UTF-8 sequence at bytes[i]; returns the code point and moves i
// past it, or returns -1 (and moves i by one byte) for a malformed sequence.
int32_t DecodeUtf8At(std::string_view bytes, size_t& i) {
  const auto b0 = static_cast<unsigned char>(bytes[i]);
  int length = 0;
  char32_t c = 0;
  if (b0 < 0x80) {
    ++i;
    return b0;
  } else if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
    c = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    c = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    c = b0 & 0x07;
  } else {
    ++i;
    return -1;
  }
  if (i + length > bytes.size()) {
    ++i;
    return -1;
  }
  for (int k = 1; k < length; ++k) {
    const auto b = static_cast<unsigned char>(bytes[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return -1;
    }
    c = (c << 6) | (b & 0x3F);
  }
  const bool overlong = (length == 3 && c < 0x800) || (length == 4 && c < 0x10000);
  if (overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++i;
    return -1;
  }
  i += length;
  return static_cast<int32_t>(c);
}

}  // namespace

String FromUtf8(std::string_view text) {
  String out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const int32_t c = DecodeUtf8At(text, i);
    if (c < 0) {
      out += u'\uFFFD';
    } else if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

bool IsValidUtf8(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    if (DecodeUtf8At(bytes, i) < 0) return false;
  }
  return true;
}

String FromAscii(std::string_view text) {
  String out;
  out.reserve(text.size());
  for (char c : text) out += static_cast<char16_t>(static_cast<unsigned char>(c));
  return out;
}

String IntToStr(int64_t value) { return FromAscii(std::to_string(value)); }

String IncludeTrailingPathDelimiter(StringView path) {
  String out(path);
  if (out.empty() || out.back() != PathDelim) out += PathDelim;
  return out;
}

int HexDigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

String UpperCaseAscii(StringView text) {
  String out(text);
  for (auto& c : out) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  }
  return out;
}

String MapCodePoints(StringView text, char32_t (*map)(char32_t)) {
  String out(text);
  for (size_t i = 0; i < out.size(); ++i) {
    const char16_t unit = out[i];
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    if (high && i + 1 < out.size() && out[i + 1] >= 0xDC00 && out[i + 1] <= 0xDFFF) {
      const char32_t mapped = map(0x10000 + ((char32_t{unit} - 0xD800) << 10) + (out[i + 1] - 0xDC00));
      if (mapped >= 0x10000 && mapped <= 0x10FFFF) {
        out[i] = static_cast<char16_t>(0xD800 + ((mapped - 0x10000) >> 10));
        out[i + 1] = static_cast<char16_t>(0xDC00 + ((mapped - 0x10000) & 0x3FF));
      }
      ++i;
    } else if (unit < 0xD800 || unit > 0xDFFF) {
      const char32_t mapped = map(unit);
      if (mapped < 0xD800 || (mapped > 0xDFFF && mapped < 0x10000)) out[i] = static_cast<char16_t>(mapped);
    }
  }
  return out;
}

String Format(StringView pattern, std::initializer_list<StringView> args) {
  String out;
  auto next = args.begin();
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == u'%' && i + 1 < pattern.size() && pattern[i + 1] == u's' && next != args.end()) {
      out += *next++;
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

}  // namespace lumora
