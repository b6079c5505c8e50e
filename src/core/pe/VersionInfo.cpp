#include "core/pe/VersionInfo.h"

#include <algorithm>

#include "base/ByteOrder.h"
#include "core/pe/PeErrors.h"

namespace lumora {

namespace {

constexpr size_t kBlockHeaderSize = 6;
// The root, the string file information, a table and its strings; a little
// room beyond that for files that nest blocks of their own.
constexpr int kMaxDepth = 8;
constexpr size_t kFixedInfoSize = 52;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr StringView kStringFileInfo = u"StringFileInfo";
// U.S. English, Unicode.
constexpr StringView kDefaultTable = u"040904B0";

size_t Align4(size_t value) { return (value + 3) & ~size_t{3}; }

std::vector<uint8_t> TextBytes(StringView text) {
  std::vector<uint8_t> bytes(2 * (text.size() + 1), 0);
  for (size_t i = 0; i < text.size(); ++i) WriteU16(bytes.data() + 2 * i, text[i]);
  return bytes;
}

String TextOf(const std::vector<uint8_t>& bytes) {
  String text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const char16_t c = static_cast<char16_t>(ReadU16(bytes.data() + i));
    if (c == 0) break;
    text += c;
  }
  return text;
}

// Reads the block at offset, which must end by end; returns its length.
size_t ParseBlock(const std::vector<uint8_t>& data, size_t offset, size_t end, int depth, TVersionBlock& block) {
  if (depth > kMaxDepth) throw EVersionInfoError(u"blocks nest too deeply");
  if (offset + kBlockHeaderSize > end) throw EVersionInfoError(u"a block overruns its parent");
  const size_t length = ReadU16(data.data() + offset);
  const size_t valueLength = ReadU16(data.data() + offset + 2);
  const uint16_t type = ReadU16(data.data() + offset + 4);
  if (length < kBlockHeaderSize || offset + length > end) {
    throw EVersionInfoError(u"a block overruns its parent");
  }
  const size_t blockEnd = offset + length;
  size_t at = offset + kBlockHeaderSize;
  for (;;) {
    if (at + 2 > blockEnd) throw EVersionInfoError(u"a key has no end");
    const char16_t c = static_cast<char16_t>(ReadU16(data.data() + at));
    at += 2;
    if (c == 0) break;
    block.Key += c;
  }
  at = std::min(Align4(at), blockEnd);
  block.IsText = type == 1;
  // Text lengths count characters; some writers count bytes, so a text
  // value is cut at its block's end rather than refused.
  size_t valueSize = block.IsText ? 2 * valueLength : valueLength;
  if (at + valueSize > blockEnd) {
    if (!block.IsText) throw EVersionInfoError(u"a value overruns its block");
    valueSize = blockEnd - at;
  }
  block.Value.assign(data.begin() + static_cast<std::ptrdiff_t>(at),
                     data.begin() + static_cast<std::ptrdiff_t>(at + valueSize));
  at = Align4(at + valueSize);
  while (at < blockEnd) {
    TVersionBlock child;
    at = Align4(at + ParseBlock(data, at, blockEnd, depth + 1, child));
    block.Children.push_back(std::move(child));
  }
  return length;
}

void BuildBlock(const TVersionBlock& block, std::vector<uint8_t>& out) {
  const size_t start = out.size();
  out.resize(start + kBlockHeaderSize);
  const std::vector<uint8_t> key = TextBytes(block.Key);
  out.insert(out.end(), key.begin(), key.end());
  out.resize(Align4(out.size()));
  out.insert(out.end(), block.Value.begin(), block.Value.end());
  for (const TVersionBlock& child : block.Children) {
    out.resize(Align4(out.size()));
    BuildBlock(child, out);
  }
  const size_t length = out.size() - start;
  if (length > UINT16_MAX) throw EVersionInfoError(u"a block would exceed 65535 bytes");
  WriteU16(out.data() + start, static_cast<uint16_t>(length));
  WriteU16(out.data() + start + 2, static_cast<uint16_t>(block.IsText ? block.Value.size() / 2 : block.Value.size()));
  WriteU16(out.data() + start + 4, block.IsText ? 1 : 0);
}

TVersionBlock* Child(TVersionBlock& parent, StringView key) {
  for (TVersionBlock& child : parent.Children) {
    if (child.Key == key) return &child;
  }
  return nullptr;
}

}  // namespace

const std::vector<String>& TVersionInfo::SettableNames() {
  static const std::vector<String> names = {u"ProductName",    u"FileDescription", u"CompanyName",
                                            u"LegalCopyright", u"FileVersion",     u"ProductVersion"};
  return names;
}

std::optional<std::array<uint16_t, 4>> ParseVersionNumbers(StringView text) {
  std::array<uint16_t, 4> numbers{};
  size_t part = 0;
  uint32_t value = 0;
  bool digits = false;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == u'.') {
      if (!digits || part == 4) return std::nullopt;
      numbers[part++] = static_cast<uint16_t>(value);
      value = 0;
      digits = false;
    } else if (text[i] >= u'0' && text[i] <= u'9') {
      value = value * 10 + (text[i] - u'0');
      if (value > UINT16_MAX) return std::nullopt;
      digits = true;
    } else {
      return std::nullopt;
    }
  }
  return numbers;
}

TVersionInfo::TVersionInfo() {
  FRoot.Key = u"VS_VERSION_INFO";
  FRoot.Value.assign(kFixedInfoSize, 0);
  WriteU32(FRoot.Value.data(), kFixedInfoSignature);
  WriteU32(FRoot.Value.data() + 4, 0x00010000);   // structure version 1.0
  WriteU32(FRoot.Value.data() + 24, 0x3F);        // VS_FFI_FILEFLAGSMASK
  WriteU32(FRoot.Value.data() + 32, 0x00040004);  // VOS_NT_WINDOWS32
  WriteU32(FRoot.Value.data() + 36, 1);           // VFT_APP
}

TVersionInfo TVersionInfo::Parse(const std::vector<uint8_t>& data) {
  TVersionInfo info;
  info.FRoot = {};
  ParseBlock(data, 0, data.size(), 0, info.FRoot);
  return info;
}

std::vector<uint8_t> TVersionInfo::Build() const {
  std::vector<uint8_t> out;
  BuildBlock(FRoot, out);
  return out;
}

void TVersionInfo::SetString(const String& name, const String& value) {
  TVersionBlock* strings = Child(FRoot, kStringFileInfo);
  if (strings == nullptr) {
    // String information goes before the variable information, as the
    // resource compiler writes it.
    FRoot.Children.insert(FRoot.Children.begin(), TVersionBlock{String(kStringFileInfo), true, {}, {}});
    strings = &FRoot.Children.front();
  }
  if (strings->Children.empty()) {
    strings->Children.push_back(TVersionBlock{String(kDefaultTable), true, {}, {}});
  }
  for (TVersionBlock& table : strings->Children) {
    TVersionBlock* entry = Child(table, name);
    if (entry == nullptr) {
      table.Children.push_back(TVersionBlock{name, true, {}, {}});
      entry = &table.Children.back();
    }
    entry->IsText = true;
    entry->Value = TextBytes(value);
  }
  const bool file = name == u"FileVersion";
  if ((file || name == u"ProductVersion") && FRoot.Value.size() >= kFixedInfoSize &&
      ReadU32(FRoot.Value.data()) == kFixedInfoSignature) {
    if (const auto numbers = ParseVersionNumbers(value)) {
      const size_t at = file ? 8 : 16;
      WriteU32(FRoot.Value.data() + at, (uint32_t{(*numbers)[0]} << 16) | (*numbers)[1]);
      WriteU32(FRoot.Value.data() + at + 4, (uint32_t{(*numbers)[2]} << 16) | (*numbers)[3]);
    }
  }
}

std::optional<String> TVersionInfo::GetString(const String& name) const {
  for (const TVersionBlock& strings : FRoot.Children) {
    if (strings.Key != kStringFileInfo) continue;
    for (const TVersionBlock& table : strings.Children) {
      for (const TVersionBlock& entry : table.Children) {
        if (entry.Key == name) return TextOf(entry.Value);
      }
    }
  }
  return std::nullopt;
}

}  // namespace lumora
