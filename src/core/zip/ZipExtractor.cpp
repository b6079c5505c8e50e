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
// Deflate cannot expand data by more than about 1032:1; room reserved up
// front for an entry never goes beyond that, whatever it declares.
constexpr uint64_t kMostDeflateRatio = 1032;

uint64_t ExpectedSize(const TAbZipItem& item) {
  if (item.Header.CompressionMethod != kMethodDeflated) return item.CompressedSize;
  return item.CompressedSize > UINT64_MAX / kMostDeflateRatio ? item.UncompressedSize
                                                              : item.CompressedSize * kMostDeflateRatio;
}

}  // namespace

uint64_t TZipExtractor::DataOffset(TStream& archive, const TAbZipItem& item, TAbZipLocalFileHeader& local) {
  if (item.RelativeOffset > static_cast<uint64_t>(INT64_MAX)) throw EAbZipInvalid();
  archive.SetPosition(static_cast<int64_t>(item.RelativeOffset));
  uint8_t bytes[kLocalHeaderSize];
  archive.ReadBuffer(bytes, sizeof bytes);
  local = TAbZipLocalFileHeader::Parse(bytes);
  if (local.Signature != kLocalHeaderSignature) throw EAbZipInvalid();
  uint64_t offset = 0;
  uint64_t end = 0;
  if (!CheckedAdd(item.RelativeOffset, kLocalHeaderSize + uint64_t{local.FileNameLength} + local.ExtraFieldLength,
                  offset) ||
      !CheckedAdd(offset, item.CompressedSize, end) || end > static_cast<uint64_t>(INT64_MAX)) {
    throw EAbZipInvalid();
  }
  return offset;
}

uint8_t TZipExtractor::CheckByte(const TAbZipItem& item, const TAbZipLocalFileHeader& local) {
  const uint32_t checkValue = (local.GeneralPurposeBitFlag & kFlagDataDescriptor) != 0
                                  ? uint32_t{local.LastModFileTime} << 16
                                  : item.Header.CRC32;
  return static_cast<uint8_t>(checkValue >> 24);
}

void TZipExtractor::CheckSupported(const TAbZipItem& item) {
  if ((item.Header.VersionNeededToExtract & 0xFF) > kNewestVersion) throw EAbZipVersion();
}

void TZipExtractor::Extract(TStream& archive, const TAbZipItem& item, TStream& to, const TZipPasswordPolicy& password) {
  CheckSupported(item);

  TAbZipLocalFileHeader local;
  const uint64_t dataOffset = DataOffset(archive, item, local);

  TZipDataWindow window(archive, dataOffset, item.CompressedSize);
  TZipByteSource* source = &window;
  std::optional<TPkwareDecryptor> decryptor;
  if (item.IsEncrypted()) {
    decryptor.emplace(window, password.Password, CheckByte(item, local), password.Retries, password.NeedPassword);
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
