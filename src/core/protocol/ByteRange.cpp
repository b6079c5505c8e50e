#include "core/protocol/ByteRange.h"

#include <charconv>
#include <system_error>

namespace lumora {

namespace {

bool ParseNumber(std::string_view text, uint64_t& value) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

TByteRange ParseRangeHeader(std::string_view header, uint64_t total) {
  header = Trim(header);
  constexpr std::string_view prefix = "bytes=";
  if (header.substr(0, prefix.size()) != prefix) return {};
  const std::string_view ranges = Trim(header.substr(prefix.size()));
  if (ranges.find(',') != std::string_view::npos) return {};
  const size_t dash = ranges.find('-');
  if (dash == std::string_view::npos) return {};
  const std::string_view first = Trim(ranges.substr(0, dash));
  const std::string_view last = Trim(ranges.substr(dash + 1));
  uint64_t a = 0;
  uint64_t b = 0;
  if (first.empty()) {
    // The last n bytes.
    if (!ParseNumber(last, b)) return {};
    if (b == 0 || total == 0) return {TByteRange::Unsatisfiable};
    return {TByteRange::Satisfiable, b >= total ? 0 : total - b, total - 1};
  }
  if (!ParseNumber(first, a)) return {};
  if (!last.empty() && (!ParseNumber(last, b) || b < a)) return {};
  if (a >= total) return {TByteRange::Unsatisfiable};
  if (last.empty() || b >= total) b = total - 1;
  return {TByteRange::Satisfiable, a, b};
}

}  // namespace lumora
