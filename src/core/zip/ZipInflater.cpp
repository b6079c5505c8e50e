#include "core/zip/ZipInflater.h"

#include <algorithm>
#include <memory>

#include "core/zip/ZipErrors.h"

namespace lumora {

namespace {

constexpr size_t kInputBlock = size_t{64} << 10;
constexpr size_t kOutputSlice = size_t{128} << 10;

}  // namespace

TInflateStream::TInflateStream() {
  if (inflateInit2(&FStream, -MAX_WBITS) != Z_OK) throw std::bad_alloc();
}

TInflateStream::~TInflateStream() { inflateEnd(&FStream); }

void TInflateStream::RaiseError() const {
  std::string message = kAbDeflateDamaged;
  if (FStream.msg != nullptr) message += std::string(" (") + FStream.msg + ")";
  throw EAbZipBadData(message);
}

void TZipInflater::Inflate(TZipByteSource& source, uint64_t inputSize, TZipOutput& output) {
  const auto inputBlock = static_cast<size_t>(std::clamp<uint64_t>(inputSize, 1, kInputBlock));
  const auto input = std::make_unique_for_overwrite<uint8_t[]>(inputBlock);
  TInflateStream stream;
  bool inputEnded = false;
  // Receives output past the declared size: any byte landing here means the
  // entry is larger than it says.
  uint8_t overflow[64];

  for (;;) {
    if (stream->avail_in == 0 && !inputEnded) {
      const size_t n = source.Read(input.get(), inputBlock);
      inputEnded = n < inputBlock;
      stream->next_in = input.get();
      stream->avail_in = static_cast<uInt>(n);
    }
    const std::span<uint8_t> room = output.Room(kOutputSlice);
    const bool full = room.empty();
    stream->next_out = full ? overflow : room.data();
    stream->avail_out = static_cast<uInt>(full ? sizeof overflow : room.size());
    const uInt before = stream->avail_out;

    const int result = inflate(stream.get(), Z_NO_FLUSH);
    const uInt produced = before - stream->avail_out;
    if (full) {
      if (produced > 0) throw EAbZipBadData(kAbDataTooLarge);
    } else {
      output.Commit(produced);
    }

    if (result == Z_STREAM_END) return;
    if (result == Z_BUF_ERROR || (result == Z_OK && produced == 0 && stream->avail_in == 0)) {
      // No progress possible: zlib wants input the window no longer has.
      if (inputEnded && stream->avail_in == 0) throw EAbZipBadData(kAbDataEndsEarly);
      if (result == Z_BUF_ERROR && stream->avail_in != 0 && !full) stream.RaiseError();
      continue;
    }
    if (result != Z_OK) stream.RaiseError();
  }
}

void TZipInflater::CopyStored(TZipByteSource& source, uint64_t count, TZipOutput& output) {
  while (count > 0) {
    const std::span<uint8_t> room = output.Room(static_cast<size_t>(std::min<uint64_t>(count, kOutputSlice)));
    const size_t n = source.Read(room.data(), room.size());
    output.Commit(n);
    if (n < room.size()) throw EAbZipBadData(kAbDataEndsEarly);
    count -= n;
  }
}

}  // namespace lumora
