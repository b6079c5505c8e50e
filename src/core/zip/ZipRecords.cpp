#include "core/zip/ZipRecords.h"

namespace lumora {

namespace zip {

std::optional<std::span<const uint8_t>> FindExtraBlock(std::span<const uint8_t> extra, uint16_t id) {
  size_t at = 0;
  while (extra.size() - at >= 4) {
    const uint16_t blockId = ReadU16(extra.data() + at);
    const size_t size = ReadU16(extra.data() + at + 2);
    at += 4;
    if (size > extra.size() - at) break;
    if (blockId == id) return extra.subspan(at, size);
    at += size;
  }
  return std::nullopt;
}

}  // namespace zip

TAbZipDirectoryFileHeader TAbZipDirectoryFileHeader::Parse(const uint8_t* p) {
  TAbZipDirectoryFileHeader h;
  h.Signature = ReadU32(p);
  h.VersionMadeBy = ReadU16(p + 4);
  h.VersionNeededToExtract = ReadU16(p + 6);
  h.GeneralPurposeBitFlag = ReadU16(p + 8);
  h.CompressionMethod = ReadU16(p + 10);
  h.LastModFileTime = ReadU16(p + 12);
  h.LastModFileDate = ReadU16(p + 14);
  h.CRC32 = ReadU32(p + 16);
  h.CompressedSize = ReadU32(p + 20);
  h.UncompressedSize = ReadU32(p + 24);
  h.FileNameLength = ReadU16(p + 28);
  h.ExtraFieldLength = ReadU16(p + 30);
  h.FileCommentLength = ReadU16(p + 32);
  h.DiskNumberStart = ReadU16(p + 34);
  h.InternalFileAttributes = ReadU16(p + 36);
  h.ExternalFileAttributes = ReadU32(p + 38);
  h.RelativeOffset = ReadU32(p + 42);
  return h;
}

TAbZipLocalFileHeader TAbZipLocalFileHeader::Parse(const uint8_t* p) {
  TAbZipLocalFileHeader h;
  h.Signature = ReadU32(p);
  h.VersionNeededToExtract = ReadU16(p + 4);
  h.GeneralPurposeBitFlag = ReadU16(p + 6);
  h.CompressionMethod = ReadU16(p + 8);
  h.LastModFileTime = ReadU16(p + 10);
  h.LastModFileDate = ReadU16(p + 12);
  h.CRC32 = ReadU32(p + 14);
  h.CompressedSize = ReadU32(p + 18);
  h.UncompressedSize = ReadU32(p + 22);
  h.FileNameLength = ReadU16(p + 26);
  h.ExtraFieldLength = ReadU16(p + 28);
  return h;
}

}  // namespace lumora
