#include "core/zip/ZipEntryStream.h"

#include <algorithm>
#include <cstdint>

#include "base/Exception.h"
#include "core/zip/ZipErrors.h"
#include "core/zip/ZipExtractor.h"

namespace lumora {

using namespace zip;

namespace {

constexpr size_t kInputBlock = size_t{64} << 10;
// Bytes before the position are decoded into this much at a time, and the
// reader is asked between blocks whether to go on.
constexpr size_t kSkipBlock = size_t{64} << 10;

}  // namespace

void TZipSeekPoints::Add(uint64_t position, const TPkwareKeys& keys) {
  const std::lock_guard<std::mutex> hold(FLock);
  FPoints.insert_or_assign(position, keys);
}

std::optional<std::pair<uint64_t, TPkwareKeys>> TZipSeekPoints::Before(uint64_t position) const {
  const std::lock_guard<std::mutex> hold(FLock);
  auto after = FPoints.upper_bound(position);
  if (after == FPoints.begin()) return std::nullopt;
  --after;
  return *after;
}

TZipEntryStream::TZipEntryStream(TOpenArchive openArchive, TAbZipItem item, std::string password,
                                 std::shared_ptr<TZipSeekPoints> seekPoints)
    : FOpenArchive(std::move(openArchive)),
      FItem(std::move(item)),
      FPassword(std::move(password)),
      FSeekPoints(std::move(seekPoints)) {}

TZipEntryStream::~TZipEntryStream() = default;

bool TZipEntryStream::DirectlyReadable() const {
  return !FItem.IsEncrypted() && FItem.Header.CompressionMethod == kMethodStored;
}

void TZipEntryStream::Restart(uint64_t start) {
  FInflate.reset();
  FDecryptor.reset();
  FWindow.reset();
  FInputEnded = false;
  FStreamEnded = false;
  FDecoded = 0;
  FLastPoint = 0;
  FCrc = 0;
  FChecking = true;

  TZipExtractor::CheckSupported(FItem);
  const uint16_t method = FItem.Header.CompressionMethod;
  if (method != kMethodStored && method != kMethodDeflated) throw EAbUnhandledType();
  if (!FArchive) FArchive = FOpenArchive();
  TAbZipLocalFileHeader local;
  const uint64_t dataOffset = TZipExtractor::DataOffset(*FArchive, FItem, local);
  if (DirectlyReadable() && start > 0) {
    // The bytes lie in the file as they are: no need to pass over the ones
    // before them (nor to check a CRC that only all of them make).
    const uint64_t skipped = std::min(start, FItem.CompressedSize);
    FWindow.emplace(*FArchive, dataOffset + skipped, FItem.CompressedSize - skipped);
    FDecoded = skipped;
    FChecking = false;
    return;
  }
  const bool seekable = FItem.IsEncrypted() && method == kMethodStored && FSeekPoints;
  if (const auto point = seekable && start > 0 ? FSeekPoints->Before(start) : std::nullopt) {
    // The keys saved there go on from the byte after it.
    const uint64_t skipped = TPkwareKeys::kHeaderSize + point->first;
    if (skipped <= FItem.CompressedSize) {
      FWindow.emplace(*FArchive, dataOffset + skipped, FItem.CompressedSize - skipped);
      FDecryptor.emplace(*FWindow, point->second);
      FDecoded = FLastPoint = point->first;
      FChecking = false;
      return;
    }
  }
  FWindow.emplace(*FArchive, dataOffset, FItem.CompressedSize);
  if (FItem.IsEncrypted()) {
    FDecryptor.emplace(*FWindow, FPassword, TZipExtractor::CheckByte(FItem, local), uint8_t{0}, TZipNeedPassword());
  }
  if (method == kMethodDeflated) {
    FInflate = std::make_unique<TInflateStream>();
    if (!FInput) FInput = std::make_unique_for_overwrite<uint8_t[]>(kInputBlock);
  }
}

bool TZipEntryStream::MustRestart() const {
  if (!FWindow || FPosition < FDecoded) return true;
  if (DirectlyReadable()) return FPosition != FDecoded;
  // Far ahead: a seek point past what was decoded saves decrypting the gap.
  if (FSeekPoints && FDecryptor && !FInflate && FPosition - FDecoded > TZipSeekPoints::kSpacing) {
    const auto point = FSeekPoints->Before(FPosition);
    return point && point->first > FDecoded;
  }
  return false;
}

size_t TZipEntryStream::Inflate(uint8_t* buffer, size_t count) {
  TInflateStream& stream = *FInflate;
  TZipByteSource& source = FDecryptor ? static_cast<TZipByteSource&>(*FDecryptor) : *FWindow;
  size_t produced = 0;
  while (produced < count && !FStreamEnded) {
    if (stream->avail_in == 0 && !FInputEnded) {
      const size_t n = source.Read(FInput.get(), kInputBlock);
      FInputEnded = n < kInputBlock;
      stream->next_in = FInput.get();
      stream->avail_in = static_cast<uInt>(n);
    }
    stream->next_out = buffer + produced;
    stream->avail_out = static_cast<uInt>(std::min<size_t>(count - produced, UINT32_MAX));
    const uInt before = stream->avail_out;
    const int result = inflate(stream.get(), Z_NO_FLUSH);
    const uInt made = before - stream->avail_out;
    produced += made;
    if (result == Z_STREAM_END) {
      FStreamEnded = true;
      break;
    }
    if (result == Z_BUF_ERROR || (result == Z_OK && made == 0 && stream->avail_in == 0)) {
      if (FInputEnded && stream->avail_in == 0) break;
      if (result == Z_BUF_ERROR && stream->avail_in != 0) stream.RaiseError();
      continue;
    }
    if (result != Z_OK) stream.RaiseError();
  }
  return produced;
}

size_t TZipEntryStream::Decode(uint8_t* buffer, size_t count) {
  // Never past the declared size: whatever the data hold beyond it is not
  // the entry's.
  count = static_cast<size_t>(std::min<uint64_t>(count, FItem.UncompressedSize - FDecoded));
  if (count == 0) return 0;
  size_t n = 0;
  if (FInflate) {
    n = Inflate(buffer, count);
  } else if (FDecryptor) {
    n = FDecryptor->Read(buffer, count);
  } else {
    n = FWindow->Read(buffer, count);
  }
  if (n < count) {
    // The data end before the declared size: as damaged as in an
    // extraction. A later read starts again.
    FWindow.reset();
    throw EAbZipBadData(kAbDataEndsEarly);
  }
  if (FChecking) FCrc = static_cast<uint32_t>(crc32(FCrc, buffer, static_cast<uInt>(n)));
  FDecoded += n;
  if (FSeekPoints && FDecryptor && !FInflate && FDecoded >= FLastPoint + TZipSeekPoints::kSpacing) {
    FSeekPoints->Add(FDecoded, FDecryptor->Keys());
    FLastPoint = FDecoded;
  }
  if (FChecking && FDecoded == FItem.UncompressedSize && FCrc != FItem.Header.CRC32) {
    FWindow.reset();
    throw EAbZipBadCRC();
  }
  return n;
}

int64_t TZipEntryStream::Read(void* buffer, int64_t count) {
  if (count <= 0 || FPosition >= FItem.UncompressedSize) return 0;
  if (MustRestart()) {
    try {
      Restart(FPosition);
    } catch (...) {
      // Half set up is not set up: the next read starts again.
      FWindow.reset();
      throw;
    }
  }
  if (FDecoded < FPosition) {
    const auto scratch = std::make_unique_for_overwrite<uint8_t[]>(kSkipBlock);
    while (FDecoded < FPosition) {
      if (FCancelled && FCancelled()) throw EStreamError(u"Reading the entry was cancelled");
      Decode(scratch.get(), static_cast<size_t>(std::min<uint64_t>(kSkipBlock, FPosition - FDecoded)));
    }
  }
  const size_t n = Decode(static_cast<uint8_t*>(buffer),
                          static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(count), SIZE_MAX)));
  FPosition += n;
  return static_cast<int64_t>(n);
}

int64_t TZipEntryStream::Write(const void*, int64_t) { throw EStreamError(u"An archive entry cannot be written"); }

int64_t TZipEntryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = 0;
  if (origin == TSeekOrigin::Current) base = static_cast<int64_t>(FPosition);
  if (origin == TSeekOrigin::End) base = Size();
  const int64_t position = base + offset;
  if (position < 0) throw EStreamError(u"Seek before the start of an archive entry");
  FPosition = static_cast<uint64_t>(position);
  return position;
}

void TZipEntryStream::SetSize(int64_t) { throw EStreamError(u"An archive entry cannot be resized"); }

}  // namespace lumora
