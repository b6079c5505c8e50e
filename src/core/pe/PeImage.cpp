#include "core/pe/PeImage.h"

#include <algorithm>
#include <iterator>

#include "base/ByteOrder.h"
#include "core/pe/PeCheckSum.h"
#include "core/pe/PeErrors.h"

namespace lumora {

namespace {

constexpr size_t kDosHeaderSize = 0x40;
constexpr size_t kFileHeaderSize = 20;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kDirectoryEntrySize = 8;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;

// Offsets in the optional header, the same for PE32 and PE32+ up to the
// checksum.
constexpr size_t kInitializedDataField = 8;
constexpr size_t kSectionAlignmentField = 32;
constexpr size_t kFileAlignmentField = 36;
constexpr size_t kImageSizeField = 56;
constexpr size_t kCheckSumField = 64;

// The data directory entries whose data may move to another address: what
// they hold points only at data that stays where it is. The base
// relocations name pages of the code, the exception table (64-bit
// unwinding) functions and their unwind data. Any other kind points at its
// own data (the imports' tables point at each other and at their names) or
// at a file offset (the debug directory).
constexpr size_t kMovableDirectories[] = {3, 5};

bool IsMovable(size_t directory) {
  return std::find(std::begin(kMovableDirectories), std::end(kMovableDirectories), directory) !=
         std::end(kMovableDirectories);
}

bool IsPowerOfTwo(uint32_t value) { return value != 0 && (value & (value - 1)) == 0; }

uint64_t AlignUp(uint64_t value, uint32_t alignment) { return (value + alignment - 1) / alignment * alignment; }

// How much address space a section takes: its virtual size, or its raw
// size when the linker left the virtual size zero.
uint32_t Span(const TPeSection& section) { return section.VirtualSize != 0 ? section.VirtualSize : section.RawSize; }

bool Holds(const TPeSection& section, uint32_t rva) {
  return rva >= section.VirtualAddress && rva - section.VirtualAddress < Span(section);
}

String SectionName(const TPeSection& section) { return u"\"" + FromUtf8(section.Name) + u"\""; }

}  // namespace

TPeImage::TPeImage(std::vector<uint8_t> bytes) : FBytes(std::move(bytes)) {
  const uint64_t size = FBytes.size();
  if (size < kDosHeaderSize || FBytes[0] != 'M' || FBytes[1] != 'Z') {
    throw EPeImageError(u"no MZ header");
  }
  const uint64_t pe = ReadU32(FBytes.data() + 0x3C);
  if (pe + 4 + kFileHeaderSize > size || ReadU32(FBytes.data() + pe) != 0x00004550) {
    throw EPeImageError(u"no PE header");
  }
  const uint8_t* fileHeader = FBytes.data() + pe + 4;
  const uint16_t sectionCount = ReadU16(fileHeader + 2);
  const uint16_t optionalSize = ReadU16(fileHeader + 16);
  FOptionalHeader = pe + 4 + kFileHeaderSize;
  if (FOptionalHeader + optionalSize > size) throw EPeImageError(u"the optional header is truncated");

  const uint16_t magic = optionalSize >= 2 ? ReadU16(FBytes.data() + FOptionalHeader) : 0;
  if (magic != kPe32Magic && magic != kPe32PlusMagic) {
    throw EPeImageError(u"unknown optional header");
  }
  const size_t countField = magic == kPe32Magic ? 92 : 108;
  if (optionalSize < countField + 4) throw EPeImageError(u"the optional header is too short");
  const uint8_t* optional = FBytes.data() + FOptionalHeader;
  FSectionAlignment = ReadU32(optional + kSectionAlignmentField);
  FFileAlignment = ReadU32(optional + kFileAlignmentField);
  if (!IsPowerOfTwo(FFileAlignment) || !IsPowerOfTwo(FSectionAlignment) || FFileAlignment > 0x10000 ||
      FSectionAlignment < FFileAlignment) {
    throw EPeImageError(u"impossible section or file alignment");
  }
  FDirectories = FOptionalHeader + countField + 4;
  FDirectoryCount = std::min<uint32_t>(ReadU32(optional + countField),
                                       static_cast<uint32_t>((optionalSize - countField - 4) / kDirectoryEntrySize));

  FSectionTable = FOptionalHeader + optionalSize;
  if (FSectionTable + uint64_t{kSectionHeaderSize} * sectionCount > size) {
    throw EPeImageError(u"the section table is truncated");
  }
  for (uint16_t i = 0; i < sectionCount; ++i) {
    const uint8_t* header = FBytes.data() + FSectionTable + kSectionHeaderSize * i;
    TPeSection section;
    section.Name.assign(reinterpret_cast<const char*>(header), std::find(header, header + 8, 0) - header);
    section.VirtualSize = ReadU32(header + 8);
    section.VirtualAddress = ReadU32(header + 12);
    section.RawSize = ReadU32(header + 16);
    section.RawPointer = ReadU32(header + 20);
    if (section.RawSize != 0 && uint64_t{section.RawPointer} + section.RawSize > size) {
      throw EPeImageError(SectionName(section) + u" runs past the end of the file");
    }
    FSections.push_back(section);
  }
}

size_t TPeImage::DirectoryOffset(size_t index) const { return FDirectories + kDirectoryEntrySize * index; }

TPeDirectory TPeImage::Directory(size_t index) const {
  if (index >= FDirectoryCount) return {};
  const uint8_t* entry = FBytes.data() + DirectoryOffset(index);
  return {ReadU32(entry), ReadU32(entry + 4)};
}

std::span<const uint8_t> TPeImage::BytesAt(uint32_t rva, uint32_t size) const {
  const std::span<const uint8_t> tail = SectionTail(rva);
  if (size > tail.size()) {
    throw EPeImageError(u"data at an address runs past its section's end in the file");
  }
  return tail.first(size);
}

std::span<const uint8_t> TPeImage::SectionTail(uint32_t rva) const {
  for (const TPeSection& section : FSections) {
    if (!Holds(section, rva)) continue;
    const uint32_t into = rva - section.VirtualAddress;
    if (into >= section.RawSize) break;
    return {FBytes.data() + section.RawPointer + into, section.RawSize - into};
  }
  throw EPeImageError(u"an address lies in no section's data in the file");
}

void TPeImage::Put(size_t at, uint32_t value) { WriteU32(FBytes.data() + at, value); }

void TPeImage::ReplaceResources(const std::function<std::vector<uint8_t>(uint32_t rva)>& build) {
  if (Directory(kSecurityDirectory).Size != 0) {
    throw EPeImageError(u"it is signed; change its resources before signing it");
  }
  const TPeDirectory resources = Directory(kResourceDirectory);
  const auto found = std::find_if(FSections.begin(), FSections.end(), [&](const TPeSection& s) {
    return resources.Rva != 0 && s.VirtualAddress == resources.Rva;
  });
  if (found == FSections.end()) {
    throw EPeImageError(u"it has no resource section of its own");
  }
  const size_t index = static_cast<size_t>(found - FSections.begin());
  TPeSection& own = FSections[index];
  // The reader checks only sections with bytes in the file; an empty one's
  // offset is whatever the linker left there, yet the new resources go
  // exactly there.
  if (uint64_t{own.RawPointer} + own.RawSize > FBytes.size()) {
    throw EPeImageError(u"the resource section lies outside the file");
  }
  if (FSectionTable + kSectionHeaderSize * FSections.size() > own.RawPointer) {
    throw EPeImageError(u"the resource section overlaps the headers");
  }
  // Everything before the resources stays where it is; everything after
  // them moves, which is only safe for sections nothing but the movable
  // directory entries point into (the base relocations, the unwind table).
  uint64_t imageEnd = 0;
  for (size_t i = 0; i < FSections.size(); ++i) {
    const TPeSection& section = FSections[i];
    // Only bytes in the file end the image: an empty section's offset means
    // nothing (checked above for the resources' own).
    if (section.RawSize != 0 || i == index) {
      imageEnd = std::max<uint64_t>(imageEnd, uint64_t{section.RawPointer} + section.RawSize);
    }
    if (i < index && section.RawSize != 0 && uint64_t{section.RawPointer} + section.RawSize > own.RawPointer) {
      throw EPeImageError(u"its sections are not in file order");
    }
    if (i <= index) continue;
    const TPeSection& before = FSections[i - 1];
    if (section.VirtualAddress <= before.VirtualAddress ||
        (section.RawSize != 0 && section.RawPointer < before.RawPointer + before.RawSize)) {
      throw EPeImageError(u"its sections are not in file order");
    }
    bool movable = false;
    bool pinned = false;
    for (size_t d = 0; d < FDirectoryCount; ++d) {
      const TPeDirectory entry = Directory(d);
      if (d == kSecurityDirectory || entry.Rva == 0 || !Holds(section, entry.Rva)) continue;
      (IsMovable(d) && entry.Rva == section.VirtualAddress ? movable : pinned) = true;
    }
    if (!movable || pinned) {
      throw EPeImageError(u"section " + SectionName(section) + u" follows the resources and cannot be moved");
    }
  }

  const std::vector<uint8_t> data = build(own.VirtualAddress);
  // Section sizes and file offsets are 32-bit fields: checked before they
  // are narrowed (where size_t is 64 bits wide, nothing else stops them).
  if (data.size() > UINT32_MAX || uint64_t{own.RawPointer} + data.size() + FFileAlignment > UINT32_MAX) {
    throw EPeImageError(u"the resources would not fit in the address space");
  }
  const uint32_t oldRawSize = own.RawSize;
  std::vector<uint8_t> rebuilt(FBytes.begin(), FBytes.begin() + own.RawPointer);
  rebuilt.insert(rebuilt.end(), data.begin(), data.end());
  rebuilt.resize(AlignUp(rebuilt.size(), FFileAlignment), 0);
  own.VirtualSize = static_cast<uint32_t>(data.size());
  own.RawSize = static_cast<uint32_t>(rebuilt.size() - own.RawPointer);

  std::vector<TPeDirectory> directories;
  for (size_t d = 0; d < FDirectoryCount; ++d) directories.push_back(Directory(d));
  uint64_t nextAddress = AlignUp(uint64_t{own.VirtualAddress} + std::max<uint32_t>(1, Span(own)), FSectionAlignment);
  for (size_t i = index + 1; i < FSections.size(); ++i) {
    TPeSection& section = FSections[i];
    const uint32_t newAddress = static_cast<uint32_t>(nextAddress);
    for (size_t d = 0; d < FDirectoryCount; ++d) {
      const TPeDirectory entry = directories[d];
      if (d == kSecurityDirectory || entry.Rva == 0 || !Holds(section, entry.Rva)) continue;
      Put(DirectoryOffset(d), entry.Rva - section.VirtualAddress + newAddress);
    }
    const size_t rawStart = rebuilt.size();
    if (section.RawSize != 0) {
      rebuilt.insert(rebuilt.end(), FBytes.begin() + section.RawPointer,
                     FBytes.begin() + section.RawPointer + section.RawSize);
      rebuilt.resize(AlignUp(rebuilt.size(), FFileAlignment), 0);
      section.RawPointer = static_cast<uint32_t>(rawStart);
    }
    section.VirtualAddress = newAddress;
    nextAddress = AlignUp(uint64_t{newAddress} + Span(section), FSectionAlignment);
  }
  if (nextAddress > UINT32_MAX || rebuilt.size() > UINT32_MAX) {
    throw EPeImageError(u"the resources would not fit in the address space");
  }
  // What followed the image (not a signature: refused above) stays after it.
  rebuilt.insert(rebuilt.end(), FBytes.begin() + static_cast<std::ptrdiff_t>(imageEnd), FBytes.end());

  // The headers were copied with the bytes before the resources; the
  // directory entries moved above were written into the old copy.
  std::copy(FBytes.begin() + static_cast<std::ptrdiff_t>(FDirectories),
            FBytes.begin() + static_cast<std::ptrdiff_t>(DirectoryOffset(FDirectoryCount)),
            rebuilt.begin() + static_cast<std::ptrdiff_t>(FDirectories));
  FBytes = std::move(rebuilt);
  for (size_t i = 0; i < FSections.size(); ++i) {
    const size_t header = FSectionTable + kSectionHeaderSize * i;
    Put(header + 8, FSections[i].VirtualSize);
    Put(header + 12, FSections[i].VirtualAddress);
    Put(header + 16, FSections[i].RawSize);
    Put(header + 20, FSections[i].RawPointer);
  }
  Put(DirectoryOffset(kResourceDirectory) + 4, static_cast<uint32_t>(data.size()));
  const size_t initialized = FOptionalHeader + kInitializedDataField;
  Put(initialized, ReadU32(FBytes.data() + initialized) + own.RawSize - oldRawSize);
  uint64_t imageSize = 0;
  for (const TPeSection& section : FSections) {
    imageSize = std::max(imageSize, AlignUp(uint64_t{section.VirtualAddress} + Span(section), FSectionAlignment));
  }
  Put(FOptionalHeader + kImageSizeField, static_cast<uint32_t>(imageSize));
  const size_t checkSum = FOptionalHeader + kCheckSumField;
  Put(checkSum, CheckSum(FBytes, checkSum));
}

uint32_t TPeImage::CheckSum(std::span<const uint8_t> bytes, size_t checksumOffset) {
  TPeCheckSum sum(checksumOffset);
  sum.Add(bytes);
  return sum.Result();
}

}  // namespace lumora
