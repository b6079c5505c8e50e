// An in-memory INI reader for the site's configuration entry. It is built
// from the entry's raw bytes, has no file behind it and is never saved.
//
// Text rules: a byte-order mark picks UTF-8 (EF BB BF), UTF-16LE (FF FE) or
// UTF-16BE (FE FF) and is dropped; without one the bytes are in the ANSI
// code page. A NUL ends the text. Lines end at CR, LF or CR LF and are
// trimmed of characters up to 32. Empty lines and ";" lines are comments;
// "[name]" starts a section; lines before the first section are ignored;
// "key = value" splits at the first "=" and both sides are trimmed.
// Section and key names match ignoring letter case under the user's locale.
// A repeated section replaces the earlier one; a repeated key's last value
// wins.
#pragma once

#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

#include "base/String.h"

namespace lumora {

class TStream;

class TMemIniFile {
 public:
  TMemIniFile() = default;

  // Replace the content with the INI text in bytes (encoding as above).
  void LoadFromBytes(std::string_view bytes);
  // The same for all of stream, read from its start.
  void LoadFromStream(TStream& stream);
  // Replace the content with already decoded lines.
  void SetStrings(const std::vector<String>& lines);

  // The decoded text of bytes, cut at its first NUL.
  static String DecodeText(std::string_view bytes);
  // The lines of text; a line end at the very end adds no empty line.
  static std::vector<String> SplitLines(StringView text);

  // The value of key (possibly empty), or defaultValue when the section or
  // the key is missing.
  String ReadString(StringView section, StringView key, StringView defaultValue) const;
  // The value as a signed 32-bit integer: an optional sign and decimal
  // digits, or hex digits after "$" or a leading "0x"/"0X" (up to 8
  // significant digits, so "0xFFFFFFFF" is -1). Anything else, an empty
  // value or a number out of range gives defaultValue.
  int32_t ReadInteger(StringView section, StringView key, int32_t defaultValue) const;
  // The value as an integer (default 1 for true, 0 for false); any integer
  // other than 0 is true. Words such as "true" give the default.
  bool ReadBool(StringView section, StringView key, bool defaultValue) const;

  bool SectionExists(StringView section) const;
  // The section names as last written, in the order of their upper-cased
  // names.
  std::vector<String> SectionNames() const;
  bool ValueExists(StringView section, StringView key) const;
  // The key names of the section as written, each once, in the order of
  // their first appearance.
  std::vector<String> ReadSection(StringView section) const;

  // The integer rule of ReadInteger on a value text; false when the text is
  // not such a number.
  static bool TryParseInteger(StringView text, int32_t& value);

 private:
  struct TEntry {
    String Name;
    String Value;
  };
  struct TSection {
    String Name;  // as written
    std::vector<TEntry> Entries;
    // Upper-cased key name -> index into Entries.
    std::map<String, size_t> Index;
  };

  const TEntry* FindEntry(StringView section, StringView key) const;

  // Upper-cased section name -> the last section of that name.
  std::map<String, TSection> FSections;
};

}  // namespace lumora
