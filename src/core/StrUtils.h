// Stateless string helpers: URL escaping and cleaning, splitting and
// joining, colours as web text, byte sizes, random names and GUIDs.
#pragma once

#include <cstdint>
#include <vector>

#include "base/String.h"

namespace lumora {

// A colour: red in bits 0-7, green in 8-15, blue in 16-23 when non-negative;
// a negative value names the system colour whose index is its low byte.
using TColor = int32_t;

using TArrayStrings = std::vector<String>;

class TStrUtils {
 public:
  TStrUtils() = delete;

  // Each channel of the resolved colour moved by half the range (its top bit
  // flipped); bits 24-31 of the result are zero.
  static TColor GetInvertedColor(TColor color);

  // Six upper-case hex digits, red first ("0C0B0A"), after "#" when
  // IncludePrefixChar is true.
  static String ColorToWebRGB(TColor ColorToConvert, bool IncludePrefixChar);

  // "1.5 KB": the size in the largest unit it strictly exceeds (KB above
  // 1024 bytes, MB above 1024 KB, GB above 1024 MB), at most two fraction
  // digits with trailing zeros dropped, the system default locale's decimal
  // separator, no leading zero, and no digits at all for 0 (" bytes").
  static String FormatByteSize(int64_t bytes);
  // The same with the given decimal separator (TSysUtils passes the user's).
  static String FormatByteSize(int64_t bytes, char16_t decimalSeparator);
  // The same with the user's decimal separator, as the user's number format
  // was when the program first asked.
  static String FormatByteSizeForUser(int64_t bytes);

  // Escapes every code unit other than A-Z, a-z, 0-9, "-", "." and "_" as
  // "%" and its upper-case hex value with at least two digits ("%20",
  // "%20AC"). Code units are escaped one by one, never as UTF-8.
  static String UrlEncode(StringView str);

  // "+" becomes a space and "%" with the next one or two hex digits becomes
  // the code unit of that value. Any other "%" (no hex digit, a bad digit,
  // "%" at the end) makes the whole result empty: the empty text is the only
  // failure signal.
  static String UrlDecode(StringView str);

  // count copies of str. Throws std::length_error when the result could not
  // be held at all.
  static String RepeatString(StringView str, uint32_t count);

  // The pieces of str between occurrences of separator (exact match), empty
  // pieces kept: always one more element than separators found. An empty
  // separator gives str as the only element.
  static TArrayStrings ExplodeStrings(StringView separator, StringView str);

  // The elements joined by separator.
  static String ImplodeStrings(StringView separator, const TArrayStrings& aArray);

  // A new random (version 4) GUID in registry form without the braces:
  // 36 characters, 8-4-4-4-12 upper-case hex digits.
  static String GetGUID();

  // strLen letters from a-z and A-Z, drawn uniformly from the operating
  // system's random source. A strLen below 1 gives the empty text.
  static String RandomString(int32_t strLen);

  // The text before the first "?" or "#".
  static String RemoveQueryFromUri(StringView uri);

  // str without its leading and trailing forward slashes.
  static String RemoveSideSlashes(StringView str);
};

}  // namespace lumora
