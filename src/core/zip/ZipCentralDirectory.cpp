#include "core/zip/ZipCentralDirectory.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/zip/ZipErrors.h"

namespace lumora {

using namespace zip;

namespace {

// The first read takes the whole stated directory up to this size; a
// larger or understated directory is read on in steps of kTopUp.
constexpr uint64_t kFirstReadLimit = uint64_t{64} << 20;
constexpr size_t kTopUp = size_t{64} << 10;

// Sequential access to the file from a start offset through one buffer.
class TDirectoryBuffer {
 public:
  TDirectoryBuffer(TStream& file, uint64_t start, uint64_t firstRead) : FFile(file), FFileSize(file.Size()) {
    if (start > static_cast<uint64_t>(INT64_MAX)) throw EStreamError(std::string("Stream read error"));
    FNext = static_cast<int64_t>(start);
    FFile.SetPosition(FNext);
    Fill(static_cast<size_t>(std::min(firstRead, kFirstReadLimit)));
  }

  // count bytes at the reading position; valid until the next call.
  const uint8_t* Take(size_t count) {
    if (FBuffer.size() - FAt < count) TopUp(count);
    const uint8_t* bytes = FBuffer.data() + FAt;
    FAt += count;
    return bytes;
  }

 private:
  void TopUp(size_t count) {
    FBuffer.erase(FBuffer.begin(), FBuffer.begin() + static_cast<ptrdiff_t>(FAt));
    FAt = 0;
    Fill(std::max(count - FBuffer.size(), kTopUp));
    if (FBuffer.size() < count) throw EStreamError(std::string("Stream read error"));
  }

  // Appends up to count bytes, fewer at the end of the file.
  void Fill(size_t count) {
    const int64_t left = std::max<int64_t>(0, FFileSize - FNext);
    const auto n = static_cast<size_t>(std::min<uint64_t>(count, static_cast<uint64_t>(left)));
    const size_t old = FBuffer.size();
    FBuffer.resize(old + n);
    FFile.ReadBuffer(FBuffer.data() + old, static_cast<int64_t>(n));
    FNext += static_cast<int64_t>(n);
  }

  TStream& FFile;
  const int64_t FFileSize;
  int64_t FNext = 0;
  std::vector<uint8_t> FBuffer;
  size_t FAt = 0;
};

// Replaces the escaped fields from the Zip64 block, in the block's order;
// a field the block is too short for keeps its escape value.
void ApplyZip64(std::span<const uint8_t> extra, TAbZipItem& item) {
  const auto block = FindExtraBlock(extra, kExtraZip64);
  if (!block) return;
  size_t at = 0;
  auto next = [&](uint64_t& field) {
    if (block->size() - at < 8) return;
    field = ReadU64(block->data() + at);
    at += 8;
  };
  if (item.Header.UncompressedSize == 0xFFFFFFFF) next(item.UncompressedSize);
  if (item.Header.CompressedSize == 0xFFFFFFFF) next(item.CompressedSize);
  if (item.Header.RelativeOffset == 0xFFFFFFFF) next(item.RelativeOffset);
}

}  // namespace

void TZipCentralDirectory::Read(TStream& file, const TAbZipDirectoryFileFooter& footer, const TZipCodePages& codePages,
                                TAbArchiveList& list) {
  if (footer.TotalEntries == 0) return;
  TDirectoryBuffer buffer(file, footer.DirectoryOffset, footer.DirectorySize);
  // The entry count comes from the file: reserve no more than the stated
  // directory could hold.
  list.Reserve(static_cast<size_t>(
      std::min<uint64_t>(footer.TotalEntries, std::min(footer.DirectorySize, kFirstReadLimit) / kDirectoryHeaderSize)));

  for (uint64_t i = 0; i < footer.TotalEntries; ++i) {
    TAbZipItem item;
    item.Header = TAbZipDirectoryFileHeader::Parse(buffer.Take(kDirectoryHeaderSize));
    if (item.Header.Signature != kDirectoryHeaderSignature) throw EAbZipInvalid();
    item.CompressedSize = item.Header.CompressedSize;
    item.UncompressedSize = item.Header.UncompressedSize;
    item.RelativeOffset = item.Header.RelativeOffset;

    const uint8_t* variable = buffer.Take(item.Header.VariableLength());
    const std::string_view rawName(reinterpret_cast<const char*>(variable), item.Header.FileNameLength);
    const std::span<const uint8_t> extra(variable + item.Header.FileNameLength, item.Header.ExtraFieldLength);
    ApplyZip64(extra, item);
    item.FileName = TZipNameDecoder::Decode(rawName, item.Header.GeneralPurposeBitFlag, item.Header.VersionMadeBy,
                                            extra, codePages);
    list.Add(std::move(item));
  }
}

}  // namespace lumora
