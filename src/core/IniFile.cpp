#include "core/IniFile.h"

#include "base/Stream.h"
#include "os/CodePage.h"
#include "os/Locale.h"

namespace lumora {

namespace {

StringView Trim(StringView text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && text[first] <= u' ') ++first;
  while (last > first && text[last - 1] <= u' ') --last;
  return text.substr(first, last - first);
}

// UTF-16 from byte pairs; an odd last byte is half a code unit and dropped.
// Unpaired surrogates are kept as they are: the text stays UTF-16.
String DecodeUtf16(std::string_view bytes, bool bigEndian) {
  String out;
  out.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    out += static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
  }
  return out;
}

bool StartsWith(std::string_view bytes, std::string_view mark) { return bytes.substr(0, mark.size()) == mark; }

}  // namespace

String TMemIniFile::DecodeText(std::string_view bytes) {
  String text;
  if (StartsWith(bytes, "\xEF\xBB\xBF")) {
    text = FromUtf8(bytes.substr(3));
  } else if (StartsWith(bytes, "\xFF\xFE")) {
    text = DecodeUtf16(bytes.substr(2), false);
  } else if (StartsWith(bytes, "\xFE\xFF")) {
    text = DecodeUtf16(bytes.substr(2), true);
  } else {
    text = DecodeAnsi(bytes);
  }
  const size_t nul = text.find(u'\0');
  if (nul != String::npos) text.resize(nul);
  return text;
}

std::vector<String> TMemIniFile::SplitLines(StringView text) {
  std::vector<String> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r' && text[i] != u'\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

void TMemIniFile::LoadFromBytes(std::string_view bytes) { SetStrings(SplitLines(DecodeText(bytes))); }

void TMemIniFile::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  std::string bytes(static_cast<size_t>(stream.Size()), '\0');
  bytes.resize(static_cast<size_t>(stream.Read(bytes.data(), static_cast<int64_t>(bytes.size()))));
  LoadFromBytes(bytes);
}

void TMemIniFile::SetStrings(const std::vector<String>& lines) {
  FSections.clear();
  TSection* current = nullptr;
  for (const String& line : lines) {
    const StringView text = Trim(line);
    if (text.empty() || text.front() == u';') continue;
    if (text.front() == u'[' && text.back() == u']' && text.size() >= 2) {
      // A section seen again starts over: only its last occurrence is read.
      const String name(Trim(text.substr(1, text.size() - 2)));
      current = &FSections[UpperCaseLocale(name)];
      *current = TSection();
      current->Name = name;
      continue;
    }
    const size_t equals = text.find(u'=');
    // Lines before the first section, and lines without "=", cannot be read.
    if (current == nullptr || equals == StringView::npos) continue;
    const StringView name = Trim(text.substr(0, equals));
    const StringView value = Trim(text.substr(equals + 1));
    const auto [slot, added] = current->Index.emplace(UpperCaseLocale(name), current->Entries.size());
    if (added) {
      current->Entries.push_back({String(name), String(value)});
    } else {
      current->Entries[slot->second].Value = value;
    }
  }
}

const TMemIniFile::TEntry* TMemIniFile::FindEntry(StringView section, StringView key) const {
  const auto found = FSections.find(UpperCaseLocale(section));
  if (found == FSections.end()) return nullptr;
  const auto slot = found->second.Index.find(UpperCaseLocale(key));
  if (slot == found->second.Index.end()) return nullptr;
  return &found->second.Entries[slot->second];
}

String TMemIniFile::ReadString(StringView section, StringView key, StringView defaultValue) const {
  const TEntry* entry = FindEntry(section, key);
  return String(entry ? StringView(entry->Value) : defaultValue);
}

bool TMemIniFile::TryParseInteger(StringView text, int32_t& value) {
  String number(text);
  if (number.size() > 2 && number[0] == u'0' && (number[1] == u'x' || number[1] == u'X')) {
    number = u"$" + number.substr(2);
  }
  if (number.empty()) return false;

  if (number[0] == u'$') {
    // Hex gives the 32-bit pattern, so "$FFFFFFFF" is -1.
    if (number.size() == 1) return false;
    uint32_t bits = 0;
    for (size_t i = 1; i < number.size(); ++i) {
      const int digit = HexDigitValue(number[i]);
      if (digit < 0 || bits > 0x0FFFFFFFu) return false;
      bits = bits << 4 | static_cast<uint32_t>(digit);
    }
    value = static_cast<int32_t>(bits);
    return true;
  }

  const bool negative = number[0] == u'-';
  const size_t first = (negative || number[0] == u'+') ? 1 : 0;
  if (first == number.size()) return false;
  // Accumulated as a magnitude so that -2147483648 fits.
  const int64_t limit = negative ? int64_t{INT32_MAX} + 1 : INT32_MAX;
  int64_t magnitude = 0;
  for (size_t i = first; i < number.size(); ++i) {
    if (number[i] < u'0' || number[i] > u'9') return false;
    magnitude = magnitude * 10 + (number[i] - u'0');
    if (magnitude > limit) return false;
  }
  value = static_cast<int32_t>(negative ? -magnitude : magnitude);
  return true;
}

int32_t TMemIniFile::ReadInteger(StringView section, StringView key, int32_t defaultValue) const {
  const TEntry* entry = FindEntry(section, key);
  int32_t value = 0;
  return entry && TryParseInteger(entry->Value, value) ? value : defaultValue;
}

bool TMemIniFile::ReadBool(StringView section, StringView key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::vector<String> TMemIniFile::SectionNames() const {
  std::vector<String> names;
  for (const auto& [upper, section] : FSections) names.push_back(section.Name);
  return names;
}

bool TMemIniFile::SectionExists(StringView section) const { return FSections.count(UpperCaseLocale(section)) != 0; }

bool TMemIniFile::ValueExists(StringView section, StringView key) const { return FindEntry(section, key) != nullptr; }

std::vector<String> TMemIniFile::ReadSection(StringView section) const {
  std::vector<String> names;
  const auto found = FSections.find(UpperCaseLocale(section));
  if (found != FSections.end()) {
    for (const TEntry& entry : found->second.Entries) names.push_back(entry.Name);
  }
  return names;
}

}  // namespace lumora
