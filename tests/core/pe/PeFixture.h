// Small PE images built in memory for the resource tests, 32-bit (PE32) or
// 64-bit (PE32+): a code section, the resource section and base relocations
// after it, the layout the MinGW linker gives the runtime.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "os/ImageHeaders.h"
#include "core/pe/PeResources.h"

namespace lumora::test {

constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kSectionAlignment = 0x1000;
constexpr uint32_t kResourceRva = 0x2000;
constexpr size_t kOptionalHeader = 0x58;

// What differs between the two: the optional header's magic and size (the
// 64-bit one's image base and stack sizes are wider, which moves the data
// directory), and the machine type.
struct TPeFormat {
  const char* Name;
  uint16_t Magic;
  uint16_t Machine;
  uint16_t OptionalSize;
  size_t Directories;  // in the optional header
};
constexpr TPeFormat kPe32{"PE32", 0x10B, 0x14C, 224, 96};
constexpr TPeFormat kPe32Plus{"PE32+", 0x20B, 0x8664, 240, 112};
constexpr TPeFormat kPeFormats[] = {kPe32, kPe32Plus};

constexpr size_t kSectionTable = kOptionalHeader + kPe32.OptionalSize;
constexpr size_t SectionTable(const TPeFormat& format) { return kOptionalHeader + format.OptionalSize; }
// Where data directory entry index lies in the file.
constexpr size_t DirectoryAt(const TPeFormat& format, size_t index) {
  return kOptionalHeader + format.Directories + 8 * index;
}
constexpr size_t kCheckSumAt = kOptionalHeader + 64;  // the same in both
// The base relocations' bytes, recognisable wherever they end up.
const std::vector<uint8_t> kRelocations = {0x00, 0x10, 0, 0, 12, 0, 0, 0, 0x34, 0x31, 0x78, 0x32};

inline void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}
inline void PutU16(std::vector<uint8_t>& out, size_t at, uint16_t value) {
  out[at] = static_cast<uint8_t>(value);
  out[at + 1] = static_cast<uint8_t>(value >> 8);
}
inline uint32_t Align(uint32_t value, uint32_t alignment) { return (value + alignment - 1) / alignment * alignment; }

inline void PutSection(std::vector<uint8_t>& out, const TPeFormat& format, int index, const char* name, uint32_t rva,
                       uint32_t virtualSize, uint32_t rawPointer, uint32_t rawSize) {
  const size_t at = SectionTable(format) + 40 * static_cast<size_t>(index);
  for (size_t i = 0; name[i] != 0; ++i) out[at + i] = static_cast<uint8_t>(name[i]);
  PutU32(out, at + 8, virtualSize);
  PutU32(out, at + 12, rva);
  PutU32(out, at + 16, rawSize);
  PutU32(out, at + 20, rawPointer);
}

// A program whose resource section holds the given resources.
inline std::vector<uint8_t> MakeProgram(const TPeResources& resources, const TPeFormat& format = kPe32) {
  const std::vector<uint8_t> rsrc = resources.Build(kResourceRva);
  const uint32_t rsrcRaw = Align(static_cast<uint32_t>(rsrc.size()), kFileAlignment);
  const uint32_t relocRva = kResourceRva + Align(static_cast<uint32_t>(rsrc.size()), kSectionAlignment);
  std::vector<uint8_t> out(0x400 + rsrcRaw + kFileAlignment, 0);
  out[0] = 'M';
  out[1] = 'Z';
  PutU32(out, 0x3C, 0x40);
  PutU32(out, 0x40, 0x00004550);
  PutU16(out, 0x44, format.Machine);
  PutU16(out, 0x46, 3);  // sections
  PutU16(out, 0x54, format.OptionalSize);
  PutU16(out, kOptionalHeader, format.Magic);
  PutU32(out, kOptionalHeader + 32, kSectionAlignment);
  PutU32(out, kOptionalHeader + 36, kFileAlignment);
  PutU32(out, kOptionalHeader + 56, relocRva + kSectionAlignment);
  PutU32(out, kOptionalHeader + 60, 0x200);
  PutU32(out, DirectoryAt(format, 0) - 4, 16);  // the number of directory entries
  PutU32(out, DirectoryAt(format, 2), kResourceRva);
  PutU32(out, DirectoryAt(format, 2) + 4, static_cast<uint32_t>(rsrc.size()));
  PutU32(out, DirectoryAt(format, 5), relocRva);
  PutU32(out, DirectoryAt(format, 5) + 4, static_cast<uint32_t>(kRelocations.size()));
  PutSection(out, format, 0, ".text", 0x1000, 0x10, 0x200, 0x200);
  PutSection(out, format, 1, ".rsrc", kResourceRva, static_cast<uint32_t>(rsrc.size()), 0x400, rsrcRaw);
  PutSection(out, format, 2, ".reloc", relocRva, static_cast<uint32_t>(kRelocations.size()), 0x400 + rsrcRaw,
             kFileAlignment);
  out[0x200] = 0xC3;  // ret
  std::copy(rsrc.begin(), rsrc.end(), out.begin() + 0x400);
  std::copy(kRelocations.begin(), kRelocations.end(), out.begin() + 0x400 + rsrcRaw);
  return out;
}

inline THeaderReader HeaderReader(std::vector<uint8_t> bytes) {
  return [b = std::move(bytes)](uint64_t offset, void* out, size_t count) {
    if (offset > b.size() || count > b.size() - offset) return false;
    std::memcpy(out, b.data() + offset, count);
    return true;
  };
}

inline std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

}  // namespace lumora::test
