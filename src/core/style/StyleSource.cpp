// Parsing and printing the readable style source.
#include "core/style/StyleSource.h"

#include <algorithm>
#include <bitset>
#include <charconv>
#include <cctype>
#include <iterator>

namespace lumora {
namespace {

std::string_view Trim(std::string_view text) {
  const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

[[noreturn]] void Fail(size_t line, const std::string& what) {
  throw EStyleSource("line " + std::to_string(line) + ": " + what);
}

template <typename Keys>
int IndexOf(const Keys& keys, std::string_view key) {
  const auto found = std::find(std::begin(keys), std::end(keys), key);
  return found == std::end(keys) ? -1 : static_cast<int>(found - std::begin(keys));
}

TStyleColor ParseColor(std::string_view value, size_t line) {
  uint32_t rgb = 0;
  const char* end = value.data() + value.size();
  if (value.size() != 7 || value[0] != '#' ||
      !std::all_of(value.begin() + 1, value.end(),
                   [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }) ||
      std::from_chars(value.data() + 1, end, rgb, 16).ptr != end)
    Fail(line, "a colour is written #rrggbb, not \"" + std::string(value) + "\"");
  return TStyleColor{rgb};
}

uint16_t ParseMetric(std::string_view value, size_t index, size_t line) {
  unsigned number = 0;
  const char* end = value.data() + value.size();
  const auto [ptr, error] = std::from_chars(value.data(), end, number);
  const TStyleMetricRange range = StyleMetricRanges[index];
  if (value.empty() || error != std::errc() || ptr != end || number < range.Min || number > range.Max)
    Fail(line, std::string(StyleMetricKeys[index]) + " must be a whole number from " + std::to_string(range.Min) +
                   " to " + std::to_string(range.Max));
  return static_cast<uint16_t>(number);
}

}  // namespace

TStyleDefinition ParseStyleSource(std::string_view text) {
  TStyleDefinition definition;
  std::bitset<StyleColorCount> seenColors;
  std::bitset<StyleMetricCount> seenMetrics;
  std::bitset<5> seenStrings;
  String* const strings[] = {&definition.Name, &definition.Version, &definition.Author, &definition.Email,
                             &definition.Url};
  constexpr std::string_view stringKeys[] = {"name", "version", "author", "email", "url"};

  size_t lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const size_t newline = text.find('\n');
    const std::string_view line = Trim(text.substr(0, newline));
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    if (line.empty() || line.front() == '#') continue;

    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) Fail(lineNumber, "expected \"key = value\"");
    const std::string_view key = Trim(line.substr(0, equals));
    const std::string_view value = Trim(line.substr(equals + 1));
    const auto once = [&](auto& seen, size_t index) {
      if (seen[index]) Fail(lineNumber, "\"" + std::string(key) + "\" is given twice");
      seen[index] = true;
    };

    if (const int i = IndexOf(stringKeys, key); i >= 0) {
      once(seenStrings, i);
      *strings[i] = FromUtf8(value);
    } else if (const int c = IndexOf(StyleColorKeys, key); c >= 0) {
      once(seenColors, c);
      definition.Colors[c] = ParseColor(value, lineNumber);
    } else if (const int m = IndexOf(StyleMetricKeys, key); m >= 0) {
      once(seenMetrics, m);
      definition.Metrics[m] = ParseMetric(value, m, lineNumber);
    } else {
      Fail(lineNumber, "unknown key \"" + std::string(key) + "\"");
    }
  }

  if (definition.Name.empty()) throw EStyleSource("the style has no name");
  for (size_t i = 0; i < StyleColorCount; ++i)
    if (!seenColors[i]) throw EStyleSource("the colour \"" + std::string(StyleColorKeys[i]) + "\" is missing");
  for (size_t i = 0; i < StyleMetricCount; ++i)
    if (!seenMetrics[i]) throw EStyleSource("the metric \"" + std::string(StyleMetricKeys[i]) + "\" is missing");
  return definition;
}

}  // namespace lumora
