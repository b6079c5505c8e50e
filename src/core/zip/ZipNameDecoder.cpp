#include "core/zip/ZipNameDecoder.h"

#include <zlib.h>

#include "core/zip/ZipLetterTables.h"
#include "core/zip/ZipRecords.h"
#include "os/CodePage.h"

namespace lumora {

using namespace zip;

namespace {

bool HasHighBytes(std::string_view bytes) {
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}

std::string_view AsText(std::span<const uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

uint32_t Crc32Of(std::string_view bytes) {
  // Names are at most 65535 bytes, well inside zlib's length type.
  return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

std::optional<String> UnicodePathName(std::string_view rawName, std::span<const uint8_t> extra) {
  const auto block = FindExtraBlock(extra, kExtraUnicodePath);
  if (!block || block->size() <= 6 || (*block)[0] != 1) return std::nullopt;
  if (ReadU32(block->data() + 1) != Crc32Of(rawName)) return std::nullopt;
  return FromUtf8(AsText(block->subspan(5)));
}

std::optional<String> Utf16Name(std::span<const uint8_t> extra) {
  const auto block = FindExtraBlock(extra, kExtraUtf16Name);
  if (!block || block->size() <= 10 || ReadU32(block->data()) != 0x5843554E) {
    return std::nullopt;
  }
  const uint64_t count = ReadU32(block->data() + 4);
  if (block->size() != 8 + 2 * count) return std::nullopt;
  String name(static_cast<size_t>(count), u'\0');
  for (size_t i = 0; i < name.size(); ++i) {
    name[i] = static_cast<char16_t>(ReadU16(block->data() + 8 + 2 * i));
  }
  return name;
}

bool LooksLikeOem(std::string_view rawName, const TZipLetterTable* table) {
  if (table == nullptr) return false;
  bool allAnsiLetters = true;
  for (const char c : rawName) {
    const auto byte = static_cast<uint8_t>(c);
    if (byte < 0x80) continue;
    if (!table->IsOemLetter(byte)) return false;
    allAnsiLetters = allAnsiLetters && table->IsAnsiLetter(byte);
  }
  return !allAnsiLetters;
}

}  // namespace

TZipCodePages TZipCodePages::System() {
  return {SystemAnsiCodePage(), SystemOemCodePage(), &lumora::DecodeAnsi, &lumora::DecodeOem};
}

bool TZipNameDecoder::IsUtf8Name(std::string_view rawName) {
  bool sawHigh = false;
  for (size_t i = 0; i < rawName.size();) {
    const auto lead = static_cast<uint8_t>(rawName[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    size_t trail = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      trail = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      trail = 2;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      trail = 3;
    } else {
      return false;
    }
    if (rawName.size() - i - 1 < trail) return false;
    for (size_t k = 1; k <= trail; ++k) {
      const auto next = static_cast<uint8_t>(rawName[i + k]);
      if (next < 0x80 || next > 0xBF) return false;
    }
    sawHigh = true;
    i += trail + 1;
  }
  return sawHigh;
}

String TZipNameDecoder::Decode(std::string_view rawName, uint16_t flags, uint16_t versionMadeBy,
                               std::span<const uint8_t> extra, const TZipCodePages& codePages) {
  const bool high = HasHighBytes(rawName);
  if ((flags & kFlagUtf8) != 0 || (high && IsUtf8Name(rawName))) return FromUtf8(rawName);
  if (!extra.empty()) {
    if (auto name = UnicodePathName(rawName, extra)) return std::move(*name);
    if (auto name = Utf16Name(extra)) return std::move(*name);
  }
  // Every ANSI and OEM code page keeps ASCII as it is, so the common case
  // needs no conversion call.
  if (!high) return FromAscii(rawName);
  if (codePages.AnsiCodePage == codePages.OemCodePage) return codePages.DecodeAnsi(rawName);
  if ((versionMadeBy >> 8) == 0 || LooksLikeOem(rawName, TZipLetterTable::Find(codePages.OemCodePage))) {
    return codePages.DecodeOem(rawName);
  }
  return codePages.DecodeAnsi(rawName);
}

}  // namespace lumora
