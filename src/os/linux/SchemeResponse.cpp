#include "os/linux/SchemeResponse.h"

#include <charconv>

namespace lumora {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The byte of a "%XX" escape at uri[i], or -1.
int EscapedByte(std::string_view uri, size_t i) {
  if (i + 2 >= uri.size() || uri[i] != '%') return -1;
  const int high = HexValue(uri[i + 1]);
  const int low = HexValue(uri[i + 2]);
  return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// How many bytes the UTF-8 sequence led by lead has, or 0 for no lead byte.
size_t SequenceLength(int lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

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

String UrlFromWebKit(std::string_view uri) {
  std::string out;
  out.reserve(uri.size());
  size_t i = 0;
  while (i < uri.size()) {
    const size_t length = SequenceLength(EscapedByte(uri, i));
    if (length > 0 && i + 3 * length <= uri.size()) {
      std::string sequence;
      for (size_t k = 0; k < length; ++k) {
        const int byte = EscapedByte(uri, i + 3 * k);
        if (byte < 0) break;
        sequence.push_back(static_cast<char>(byte));
      }
      if (sequence.size() == length && IsValidUtf8(sequence)) {
        out += sequence;
        i += 3 * length;
        continue;
      }
    }
    out.push_back(uri[i]);
    ++i;
  }
  return FromUtf8(out);
}

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

TEntryCache::TBytes TEntryCache::Find(const std::string& key) {
  const auto found = FIndex.find(key);
  if (found == FIndex.end()) return nullptr;
  FItems.splice(FItems.begin(), FItems, found->second);
  return found->second->Bytes;
}

void TEntryCache::Put(const std::string& key, TBytes bytes) {
  const auto found = FIndex.find(key);
  if (found != FIndex.end()) {
    FSize -= found->second->Bytes->size();
    FItems.erase(found->second);
    FIndex.erase(found);
  }
  if (!bytes || bytes->size() > FCapacity) return;
  FSize += bytes->size();
  FItems.push_front({key, std::move(bytes)});
  FIndex[key] = FItems.begin();
  while (FSize > FCapacity) {
    TItem& oldest = FItems.back();
    FSize -= oldest.Bytes->size();
    FIndex.erase(oldest.Key);
    FItems.pop_back();
  }
}

void TEntryCache::Clear() {
  FItems.clear();
  FIndex.clear();
  FSize = 0;
}

}  // namespace lumora
