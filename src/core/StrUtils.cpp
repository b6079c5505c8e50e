#include "core/StrUtils.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "os/Locale.h"
#include "os/Random.h"
#include "os/SysColor.h"

namespace lumora {

namespace {

// A negative colour is replaced by the current value of the system colour
// its low byte names.
uint32_t ResolveColor(TColor color) {
  if (color < 0) return GetSystemColor(color & 0xFF);
  return static_cast<uint32_t>(color);
}

// Appends value in upper-case hex, padded with zeros to minDigits.
void AppendHex(String& out, uint32_t value, int minDigits) {
  constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  char16_t buffer[8];
  int count = 0;
  do {
    buffer[count++] = kDigits[value & 0xF];
    value >>= 4;
  } while (value != 0);
  for (int i = count; i < minDigits; ++i) out += u'0';
  while (count > 0) out += buffer[--count];
}

}  // namespace

TColor TStrUtils::GetInvertedColor(TColor color) {
  // Adding 128 to a byte modulo 256 flips its top bit, and no carry can
  // cross into the next channel.
  return static_cast<TColor>((ResolveColor(color) ^ 0x808080u) & 0xFFFFFFu);
}

String TStrUtils::ColorToWebRGB(TColor ColorToConvert, bool IncludePrefixChar) {
  const uint32_t rgb = ResolveColor(ColorToConvert);
  String out = IncludePrefixChar ? u"#" : u"";
  AppendHex(out, rgb & 0xFF, 2);
  AppendHex(out, (rgb >> 8) & 0xFF, 2);
  AppendHex(out, (rgb >> 16) & 0xFF, 2);
  return out;
}

String TStrUtils::FormatByteSize(int64_t bytes) { return FormatByteSize(bytes, SystemDecimalSeparator()); }

String TStrUtils::FormatByteSizeForUser(int64_t bytes) {
  // The user's number format is taken once, like the process-wide format
  // settings a program reads when it starts: a later change of the user's
  // locale does not reach a running program.
  static const char16_t separator = UserDecimalSeparator();
  return FormatByteSize(bytes, separator);
}

String TStrUtils::FormatByteSize(int64_t bytes, char16_t decimalSeparator) {
  struct TUnit {
    int64_t Divisor;
    const char16_t* Suffix;
  };
  constexpr TUnit kUnits[] = {{int64_t{1} << 30, u" GB"}, {int64_t{1} << 20, u" MB"}, {int64_t{1} << 10, u" KB"}};
  TUnit unit{1, u" bytes"};
  for (const TUnit& candidate : kUnits) {
    if (bytes > candidate.Divisor) {
      unit = candidate;
      break;
    }
  }

  // Whole bytes, including every negative size, have no fraction.
  if (unit.Divisor == 1) return (bytes == 0 ? String() : IntToStr(bytes)) + unit.Suffix;

  // Here bytes > 1024, so the value is above 1. It is rounded to hundredths
  // exactly, in integers, half away from zero: floating point could round
  // a size that is exactly halfway the wrong way.
  const uint64_t size = static_cast<uint64_t>(bytes);
  const uint64_t divisor = static_cast<uint64_t>(unit.Divisor);
  const uint64_t remainderHundredths = size % divisor * 100;  // below 2^37
  uint64_t hundredths = size / divisor * 100 + remainderHundredths / divisor;
  if (remainderHundredths % divisor * 2 >= divisor) ++hundredths;

  String out = IntToStr(static_cast<int64_t>(hundredths / 100));
  uint64_t fraction = hundredths % 100;
  if (fraction != 0) {
    out += decimalSeparator;
    out += static_cast<char16_t>(u'0' + fraction / 10);
    if (fraction % 10 != 0) out += static_cast<char16_t>(u'0' + fraction % 10);
  }
  return out + unit.Suffix;
}

String TStrUtils::UrlEncode(StringView str) {
  String out;
  out.reserve(str.size());
  for (const char16_t c : str) {
    const bool plain = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-' ||
                       c == u'.' || c == u'_';
    if (plain) {
      out += c;
    } else {
      out += u'%';
      AppendHex(out, c, 2);
    }
  }
  return out;
}

String TStrUtils::UrlDecode(StringView str) {
  String out;
  out.reserve(str.size());
  for (size_t i = 0; i < str.size();) {
    if (str[i] != u'%') {
      out += str[i] == u'+' ? u' ' : str[i];
      ++i;
      continue;
    }
    // The one or two code units after "%" must all be hex digits; a "+"
    // among them has already become a space and so fails too.
    const size_t digits = std::min<size_t>(2, str.size() - i - 1);
    if (digits == 0) return String();
    int value = 0;
    for (size_t k = 1; k <= digits; ++k) {
      const int digit = HexDigitValue(str[i + k]);
      if (digit < 0) return String();
      value = value * 16 + digit;
    }
    out += static_cast<char16_t>(value);
    i += 1 + digits;
  }
  return out;
}

String TStrUtils::RepeatString(StringView str, uint32_t count) {
  String out;
  if (str.empty() || count == 0) return out;
  if (str.size() > out.max_size() / count) throw std::length_error("RepeatString: too long");
  out.reserve(str.size() * count);
  for (uint32_t i = 0; i < count; ++i) out += str;
  return out;
}

TArrayStrings TStrUtils::ExplodeStrings(StringView separator, StringView str) {
  TArrayStrings pieces;
  size_t start = 0;
  if (!separator.empty()) {
    for (size_t found; (found = str.find(separator, start)) != StringView::npos; start = found + separator.size()) {
      pieces.emplace_back(str.substr(start, found - start));
    }
  }
  pieces.emplace_back(str.substr(start));
  return pieces;
}

String TStrUtils::ImplodeStrings(StringView separator, const TArrayStrings& aArray) {
  String out;
  for (size_t i = 0; i < aArray.size(); ++i) {
    if (i > 0) out += separator;
    out += aArray[i];
  }
  return out;
}

String TStrUtils::GetGUID() {
  std::array<uint8_t, 16> bytes{};
  OsRandomBytes(bytes.data(), bytes.size());
  // A version 4 (random) GUID, as the platforms' own generators make them:
  // version 4 in the top nibble of the third field, RFC 4122 variant bits
  // 10 at the top of the fourth.
  const uint32_t data1 = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
  const uint32_t data2 = bytes[4] | (bytes[5] << 8);
  const uint32_t data3 = ((bytes[6] | (bytes[7] << 8)) & 0x0FFFu) | 0x4000u;
  bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80);

  String out;
  out.reserve(36);
  AppendHex(out, data1, 8);
  out += u'-';
  AppendHex(out, data2, 4);
  out += u'-';
  AppendHex(out, data3, 4);
  out += u'-';
  for (size_t i = 8; i < 16; ++i) {
    if (i == 10) out += u'-';
    AppendHex(out, bytes[i], 2);
  }
  return out;
}

String TStrUtils::RandomString(int32_t strLen) { return RandomLetters(strLen); }

String TStrUtils::RemoveQueryFromUri(StringView uri) { return String(uri.substr(0, uri.find_first_of(u"?#"))); }

String TStrUtils::RemoveSideSlashes(StringView str) {
  const size_t first = str.find_first_not_of(u'/');
  if (first == StringView::npos) return String();
  return String(str.substr(first, str.find_last_not_of(u'/') - first + 1));
}

}  // namespace lumora
