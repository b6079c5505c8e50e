// The fixed-size records of the ZIP format (APPNOTE), read from little-endian
// bytes field by field so that the host's byte order and struct packing never
// matter. Callers hand in buffers of at least the record's size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "base/ByteOrder.h"

namespace lumora {

namespace zip {

inline constexpr uint32_t kEndSignature = 0x06054B50;
inline constexpr uint32_t kZip64LocatorSignature = 0x07064B50;
inline constexpr uint32_t kZip64EndSignature = 0x06064B50;
inline constexpr uint32_t kDirectoryHeaderSignature = 0x02014B50;
inline constexpr uint32_t kLocalHeaderSignature = 0x04034B50;

inline constexpr size_t kEndRecordSize = 22;
inline constexpr size_t kZip64LocatorSize = 20;
inline constexpr size_t kZip64EndRecordSize = 56;
inline constexpr size_t kDirectoryHeaderSize = 46;
inline constexpr size_t kLocalHeaderSize = 30;

inline constexpr uint16_t kExtraZip64 = 0x0001;
inline constexpr uint16_t kExtraUnicodePath = 0x7075;
inline constexpr uint16_t kExtraUtf16Name = 0x554E;

// Compression methods this reader decodes.
inline constexpr uint16_t kMethodStored = 0;
inline constexpr uint16_t kMethodDeflated = 8;

// General purpose flag bits.
inline constexpr uint16_t kFlagEncrypted = 0x0001;
inline constexpr uint16_t kFlagDataDescriptor = 0x0008;
inline constexpr uint16_t kFlagUtf8 = 0x0800;

// Sizes and offsets come from the file, so every sum of them is checked.
inline bool CheckedAdd(uint64_t a, uint64_t b, uint64_t& sum) { return !__builtin_add_overflow(a, b, &sum); }

// The data of the first extra-field block with the identifier, if any. A
// block whose stated size runs past the field ends the walk: what follows it
// cannot be told apart from garbage.
std::optional<std::span<const uint8_t>> FindExtraBlock(std::span<const uint8_t> extra, uint16_t id);

}  // namespace zip

// The end of central directory data, with the Zip64 values merged in.
struct TAbZipDirectoryFileFooter {
  uint32_t DiskNumber = 0;
  uint32_t StartDiskNumber = 0;
  uint64_t EntriesOnDisk = 0;
  uint64_t TotalEntries = 0;
  uint64_t DirectorySize = 0;
  uint64_t DirectoryOffset = 0;
  std::string ZipfileComment;
};

// The fixed part of a central directory header.
struct TAbZipDirectoryFileHeader {
  uint32_t Signature = 0;
  uint16_t VersionMadeBy = 0;
  uint16_t VersionNeededToExtract = 0;
  uint16_t GeneralPurposeBitFlag = 0;
  uint16_t CompressionMethod = 0;
  uint16_t LastModFileTime = 0;
  uint16_t LastModFileDate = 0;
  uint32_t CRC32 = 0;
  uint32_t CompressedSize = 0;
  uint32_t UncompressedSize = 0;
  uint16_t FileNameLength = 0;
  uint16_t ExtraFieldLength = 0;
  uint16_t FileCommentLength = 0;
  uint16_t DiskNumberStart = 0;
  uint16_t InternalFileAttributes = 0;
  uint32_t ExternalFileAttributes = 0;
  uint32_t RelativeOffset = 0;

  // From zip::kDirectoryHeaderSize bytes.
  static TAbZipDirectoryFileHeader Parse(const uint8_t* bytes);
  // The bytes that follow the fixed part: name, extra field and comment.
  size_t VariableLength() const { return size_t{FileNameLength} + ExtraFieldLength + FileCommentLength; }
};

// The fixed part of a local file header.
struct TAbZipLocalFileHeader {
  uint32_t Signature = 0;
  uint16_t VersionNeededToExtract = 0;
  uint16_t GeneralPurposeBitFlag = 0;
  uint16_t CompressionMethod = 0;
  uint16_t LastModFileTime = 0;
  uint16_t LastModFileDate = 0;
  uint32_t CRC32 = 0;
  uint32_t CompressedSize = 0;
  uint32_t UncompressedSize = 0;
  uint16_t FileNameLength = 0;
  uint16_t ExtraFieldLength = 0;

  // From zip::kLocalHeaderSize bytes.
  static TAbZipLocalFileHeader Parse(const uint8_t* bytes);
};

}  // namespace lumora
