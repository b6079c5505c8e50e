#include "core/zip/ZipEndRecord.h"

#include <algorithm>
#include <vector>

#include "core/zip/ZipErrors.h"

namespace lumora {

using namespace zip;

namespace {

constexpr int64_t kFirstChunk = 512;
constexpr int64_t kLargestChunk = 65536;

void ReadAt(TStream& file, int64_t position, uint8_t* buffer, size_t count) {
  file.SetPosition(position);
  file.ReadBuffer(buffer, static_cast<int64_t>(count));
}

// The Zip64 locator normally sits right before the end record; writers that
// put something in between are allowed for by searching further back. The
// search reads the file in large chunks rather than 20 bytes at a time.
std::optional<int64_t> FindZip64Locator(TStream& file, int64_t endPosition) {
  std::vector<uint8_t> chunk;
  int64_t chunkEnd = endPosition;
  while (chunkEnd >= static_cast<int64_t>(kZip64LocatorSize)) {
    const int64_t start = std::max<int64_t>(0, chunkEnd - kLargestChunk);
    chunk.resize(static_cast<size_t>(chunkEnd - start));
    ReadAt(file, start, chunk.data(), chunk.size());
    for (size_t at = chunk.size() - kZip64LocatorSize + 1; at-- > 0;) {
      if (ReadU32(chunk.data() + at) == kZip64LocatorSignature) {
        return start + static_cast<int64_t>(at);
      }
    }
    if (start == 0) break;
    // The next chunk ends so that a locator starting just before this one's
    // first byte still lies wholly inside it.
    chunkEnd = start + static_cast<int64_t>(kZip64LocatorSize) - 1;
  }
  return std::nullopt;
}

bool NeedsZip64(const TAbZipDirectoryFileFooter& footer) {
  return footer.DiskNumber >= 0xFFFF || footer.StartDiskNumber >= 0xFFFF || footer.EntriesOnDisk >= 0xFFFF ||
         footer.TotalEntries >= 0xFFFF || footer.DirectorySize == 0xFFFFFFFF || footer.DirectoryOffset == 0xFFFFFFFF;
}

void MergeZip64(TStream& file, int64_t locatorPosition, TAbZipDirectoryFileFooter& footer) {
  uint8_t locator[kZip64LocatorSize];
  ReadAt(file, locatorPosition, locator, sizeof locator);
  const uint64_t recordOffset = ReadU64(locator + 8);
  const uint32_t totalDisks = ReadU32(locator + 16);
  if (recordOffset > static_cast<uint64_t>(INT64_MAX)) throw EAbZipInvalid();

  uint8_t record[kZip64EndRecordSize];
  ReadAt(file, static_cast<int64_t>(recordOffset), record, sizeof record);
  if (ReadU32(record) != kZip64EndSignature) throw EAbZipInvalid();

  // Only the disk numbers of a single-file archive are ever met; the
  // reader does not use them beyond keeping them in the footer.
  footer.DiskNumber = totalDisks - 1;
  if (footer.StartDiskNumber == 0xFFFF) footer.StartDiskNumber = ReadU32(record + 20);
  if (footer.EntriesOnDisk == 0xFFFF) footer.EntriesOnDisk = ReadU64(record + 24);
  if (footer.TotalEntries == 0xFFFF) footer.TotalEntries = ReadU64(record + 32);
  if (footer.DirectorySize == 0xFFFFFFFF) footer.DirectorySize = ReadU64(record + 40);
  if (footer.DirectoryOffset == 0xFFFFFFFF) footer.DirectoryOffset = ReadU64(record + 48);
}

}  // namespace

std::optional<int64_t> TZipEndRecord::Locate(TStream& file) {
  const int64_t saved = file.Position();
  const int64_t size = file.Size();
  uint8_t tail[kEndRecordSize];
  if (size >= static_cast<int64_t>(kEndRecordSize)) {
    ReadAt(file, size - static_cast<int64_t>(kEndRecordSize), tail, sizeof tail);
    if (ReadU32(tail) == kEndSignature && ReadU16(tail + 20) == 0) {
      return size - static_cast<int64_t>(kEndRecordSize);
    }
  }

  std::vector<uint8_t> chunk;
  int64_t chunkSize = kFirstChunk;
  int64_t chunkEnd = size;
  for (;;) {
    const int64_t start = std::max<int64_t>(0, chunkEnd - chunkSize);
    const auto count = static_cast<size_t>(chunkEnd - start);
    if (count < kEndRecordSize) break;
    chunk.resize(count);
    ReadAt(file, start, chunk.data(), count);
    for (size_t at = count - kEndRecordSize + 1; at-- > 0;) {
      if (ReadU32(chunk.data() + at) != kEndSignature) continue;
      const int64_t position = start + static_cast<int64_t>(at);
      const int64_t following = size - position - static_cast<int64_t>(kEndRecordSize);
      if (ReadU16(chunk.data() + at + 20) <= following) return position;
    }
    if (start == 0) break;
    chunkSize = std::min(chunkSize * 2, kLargestChunk);
    chunkEnd = start + static_cast<int64_t>(kEndRecordSize);
  }
  file.SetPosition(saved);
  return std::nullopt;
}

TAbZipDirectoryFileFooter TZipEndRecord::Read(TStream& file, int64_t position) {
  uint8_t record[kEndRecordSize];
  ReadAt(file, position, record, sizeof record);
  if (ReadU32(record) != kEndSignature) throw EAbZipInvalid();

  TAbZipDirectoryFileFooter footer;
  footer.DiskNumber = ReadU16(record + 4);
  footer.StartDiskNumber = ReadU16(record + 6);
  footer.EntriesOnDisk = ReadU16(record + 8);
  footer.TotalEntries = ReadU16(record + 10);
  footer.DirectorySize = ReadU32(record + 12);
  footer.DirectoryOffset = ReadU32(record + 16);
  footer.ZipfileComment.resize(ReadU16(record + 20));
  file.ReadBuffer(footer.ZipfileComment.data(), static_cast<int64_t>(footer.ZipfileComment.size()));

  if (NeedsZip64(footer)) {
    // An archive of exactly 65535 entries, or with a directory at exactly
    // 0xFFFFFFFF, is complete without Zip64 records; a writer that had to
    // escape a field always writes a locator. So an archive without one is
    // read with the values of its end record.
    if (position >= static_cast<int64_t>(kZip64LocatorSize)) {
      if (const auto locator = FindZip64Locator(file, position)) {
        MergeZip64(file, *locator, footer);
      }
    }
  }
  return footer;
}

}  // namespace lumora
