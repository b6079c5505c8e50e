#include "core/zip/ZipOutput.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <new>

namespace lumora {

namespace {

// Decoding in slices of this size keeps each slice in the cache while it is
// checksummed.
constexpr size_t kSlice = size_t{128} << 10;
constexpr uint64_t kMostReserved = uint64_t{1} << 30;

}  // namespace

TZipOutput::TZipOutput(TStream& target, uint64_t declaredSize, uint64_t expectedSize)
    : FTarget(target), FMemory(dynamic_cast<TMemoryStream*>(&target)), FDeclared(declaredSize) {
  if (FMemory != nullptr) {
    const int64_t position = FMemory->Position();
    if (static_cast<uint64_t>(position) > std::numeric_limits<size_t>::max()) throw std::bad_alloc();
    FBase = static_cast<size_t>(position);
    FOriginalSize = FMemory->Bytes().size();
    const uint64_t reserve = std::min({expectedSize, declaredSize, kMostReserved});
    if (reserve <= std::numeric_limits<size_t>::max() - FBase) {
      FMemory->Bytes().reserve(FBase + static_cast<size_t>(reserve));
    }
  } else {
    FStaging = std::make_unique_for_overwrite<uint8_t[]>(kSlice);
  }
}

TZipOutput::~TZipOutput() {
  try {
    Finish();
  } catch (...) {
    // Finish only throws for a failing stream, which the extraction that
    // owns this layer has reported already.
  }
}

std::span<uint8_t> TZipOutput::Room(size_t wanted) {
  const auto n = static_cast<size_t>(std::min<uint64_t>({wanted, kSlice, FDeclared - FWritten}));
  if (n == 0) return {};
  if (FMemory == nullptr) {
    FRoom = FStaging.get();
    return {FRoom, n};
  }
  auto& bytes = FMemory->Bytes();
  const size_t at = FBase + static_cast<size_t>(FWritten);
  if (at > std::numeric_limits<size_t>::max() - n) throw std::bad_alloc();
  if (bytes.size() < at + n) bytes.resize(at + n);
  FRoom = bytes.data() + at;
  return {FRoom, n};
}

void TZipOutput::Commit(size_t count) {
  if (count == 0) return;
  if (FMemory == nullptr) {
    FCrc = static_cast<uint32_t>(crc32(FCrc, FRoom, static_cast<uInt>(count)));
    FChecksummed += count;
    FTarget.WriteBuffer(FRoom, static_cast<int64_t>(count));
  }
  FWritten += count;
}

std::span<const uint8_t> TZipOutput::Pending() {
  if (FMemory == nullptr) return {};
  return {FMemory->Bytes().data() + FBase + static_cast<size_t>(FChecksummed),
          static_cast<size_t>(FWritten - FChecksummed)};
}

void TZipOutput::Checksummed(size_t count, uint32_t crc) {
  FChecksummed += count;
  FCrc = crc;
}

uint32_t TZipOutput::Crc() {
  // zlib takes at most 4 GiB minus one per call.
  for (std::span<const uint8_t> rest = Pending(); !rest.empty(); rest = Pending()) {
    const size_t n = std::min<size_t>(rest.size(), size_t{1} << 30);
    Checksummed(n, static_cast<uint32_t>(crc32(FCrc, rest.data(), static_cast<uInt>(n))));
  }
  return FCrc;
}

void TZipOutput::Finish() {
  if (FFinished) return;
  FFinished = true;
  if (FMemory == nullptr) return;
  // Room may have grown the buffer past what was committed; a write never
  // shrinks a stream, and writes nothing for an empty entry.
  const size_t end = FBase + static_cast<size_t>(FWritten);
  FMemory->Bytes().resize(FWritten == 0 ? FOriginalSize : std::max(FOriginalSize, end));
  FMemory->SetPosition(static_cast<int64_t>(end));
}

}  // namespace lumora
