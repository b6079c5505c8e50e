// A Windows (PE) program held in memory: its headers, section table and
// data directory, read with every offset checked against the bytes, and the
// one change the resource editor needs, replacing the resource section's
// contents. Sections that follow it move up or down, with the data
// directory entries that point into them, the image size and the checksum.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace lumora {

struct TPeSection {
  std::string Name;
  uint32_t VirtualSize = 0;
  uint32_t VirtualAddress = 0;
  uint32_t RawSize = 0;
  uint32_t RawPointer = 0;
};

struct TPeDirectory {
  uint32_t Rva = 0;
  uint32_t Size = 0;
};

class TPeImage {
 public:
  static constexpr size_t kSecurityDirectory = 4;  // a file offset, not an RVA
  static constexpr size_t kResourceDirectory = 2;

  // Reads the headers of bytes. Raises EPeImageError for anything that is
  // not a PE image or whose tables run past the end of the bytes.
  explicit TPeImage(std::vector<uint8_t> bytes);

  const std::vector<uint8_t>& Bytes() const { return FBytes; }
  const std::vector<TPeSection>& Sections() const { return FSections; }
  // The entry, or zeros when the header has fewer entries.
  TPeDirectory Directory(size_t index) const;

  // The size bytes at rva, which must lie in one section's raw data.
  // Raises EPeImageError otherwise.
  std::span<const uint8_t> BytesAt(uint32_t rva, uint32_t size) const;
  // The raw data of the section holding rva, from rva to the section's end.
  std::span<const uint8_t> SectionTail(uint32_t rva) const;

  // Replaces the resource section's contents with what build returns for
  // the section's address, then lays out the sections after it anew.
  // Raises EPeImageError when the image has no resource section of its
  // own, is signed (a signature would no longer match), or has a section
  // after the resources that anything but the data directory refers to.
  void ReplaceResources(const std::function<std::vector<uint8_t>(uint32_t rva)>& build);

  // The header checksum of bytes, whose checksum field lies at
  // checksumOffset (left out of the sum).
  static uint32_t CheckSum(std::span<const uint8_t> bytes, size_t checksumOffset);

 private:
  size_t DirectoryOffset(size_t index) const;
  void Put(size_t at, uint32_t value);

  std::vector<uint8_t> FBytes;
  std::vector<TPeSection> FSections;
  size_t FOptionalHeader = 0;
  size_t FSectionTable = 0;
  size_t FDirectories = 0;
  uint32_t FDirectoryCount = 0;
  uint32_t FSectionAlignment = 0;
  uint32_t FFileAlignment = 0;
};

}  // namespace lumora
