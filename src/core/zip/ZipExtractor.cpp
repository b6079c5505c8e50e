#include "core/zip/ZipExtractor.h"

#include <optional>

#include "core/zip/ZipDataWindow.h"
#include "core/zip/ZipErrors.h"
#include "core/zip/ZipInflater.h"
#include "core/zip/ZipOutput.h"

namespace lumora {

using namespace zip;

namespace {

constexpr uint8_t kNewestVersion = 63;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;
// Deflate cannot expand data by more than about 1032:1; room reserved up
// front for an entry never goes beyond that, whatever it declares.
constexpr uint64_t kMostDeflateRatio = 1032;

// The offset of the entry's data, just past its local header.
uint64_t DataOffset(TStream& archive, const TAbZipItem& item, TAbZipLocalFileHeader& local) {
  if (item.RelativeOffset > static_cast<uint64_t>(INT64_MAX)) throw EAbZipInvalid();
  archive.SetPosition(static_cast<int64_t>(item.RelativeOffset));
  uint8_t bytes[kLocalHeaderSize];
  archive.ReadBuffer(bytes, sizeof bytes);
  local = TAbZipLocalFileHeader::Parse(bytes);
  if (local.Signature != kLocalHeaderSignature) throw EAbZipInvalid();
  uint64_t offset = 0;
  uint64_t end = 0;
  if (!CheckedAdd(item.RelativeOffset,
                  kLocalHeaderSize + uint64_t{local.FileNameLength} + local.ExtraFieldLength,
                  offset) ||
      !CheckedAdd(offset, item.CompressedSize, end) || end > static_cast<uint64_t>(INT64_MAX)) {
    throw EAbZipInvalid();
  }
  return offset;
}

uint64_t ExpectedSize(const TAbZipItem& item) {
  if (item.Header.CompressionMethod != kMethodDeflated) return item.CompressedSize;
  return item.CompressedSize > UINT64_MAX / kMostDeflateRatio
             ? item.UncompressedSize
             : item.CompressedSize * kMostDeflateRatio;
}

}  // namespace

void TZipExtractor::Extract(TStream& archive, const TAbZipItem& item, TStream& to,
                            const TZipPasswordPolicy& password) {
  if ((item.Header.VersionNeededToExtract & 0xFF) > kNewestVersion) throw EAbZipVersion();

  TAbZipLocalFileHeader local;
  const uint64_t dataOffset = DataOffset(archive, item, local);
  const uint32_t checkValue = (local.GeneralPurposeBitFlag & kFlagDataDescriptor) != 0
                                  ? uint32_t{local.LastModFileTime} << 16
                                  : item.Header.CRC32;

  TZipDataWindow window(archive, dataOffset, item.CompressedSize);
  TZipByteSource* source = &window;
  std::optional<TPkwareDecryptor> decryptor;
  if (item.IsEncrypted()) {
    decryptor.emplace(window, password.Password, static_cast<uint8_t>(checkValue >> 24),
                      password.Retries, password.NeedPassword);
    source = &*decryptor;
  }

  if (item.UncompressedSize == 0) return;

  const uint16_t method = item.Header.CompressionMethod;
  if (method != kMethodStored && method != kMethodDeflated) throw EAbUnhandledType();

  TZipOutput output(to, item.UncompressedSize, ExpectedSize(item));
  if (decryptor) decryptor->ShareWork(&output);
  if (method == kMethodStored) {
    TZipInflater::CopyStored(*source, item.UncompressedSize, output);
  } else {
    TZipInflater::Inflate(*source, window.Remaining(), output);
  }
  output.Finish();
  // A Deflate stream that ends before the declared size is as damaged as a
  // stored entry whose data runs out.
  if (output.Written() != item.UncompressedSize) throw EAbZipBadData(kAbDataEndsEarly);
  if (output.Crc() != item.Header.CRC32) throw EAbZipBadCRC();
}

}  // namespace lumora
