#include "pack/Deflater.h"

#include <zlib.h>

#include <string>

#include "base/Exception.h"

namespace lumora {

namespace {

// Negative window bits: a raw stream, no zlib header or trailer.
constexpr int kWindowBits = -15;
constexpr int kMemoryLevel = 8;
constexpr size_t kOutputSize = 64 * 1024;

}  // namespace

struct TDeflater::TState {
  z_stream Stream{};
};

TDeflater::TDeflater(int level) : FState(std::make_unique<TState>()), FOutput(kOutputSize) {
  if (deflateInit2(&FState->Stream, level, Z_DEFLATED, kWindowBits, kMemoryLevel, Z_DEFAULT_STRATEGY) != Z_OK) {
    throw Exception(std::string("Cannot start the Deflate compressor"));
  }
}

TDeflater::~TDeflater() { deflateEnd(&FState->Stream); }

void TDeflater::Reset() { deflateReset(&FState->Stream); }

bool TDeflater::Compress(const uint8_t* data, size_t count, bool finish, const TSink& sink) {
  z_stream& stream = FState->Stream;
  // zlib takes a non-const pointer but does not write through next_in.
  stream.next_in = const_cast<Bytef*>(data);
  stream.avail_in = static_cast<uInt>(count);
  const int flush = finish ? Z_FINISH : Z_NO_FLUSH;
  for (;;) {
    stream.next_out = FOutput.data();
    stream.avail_out = static_cast<uInt>(FOutput.size());
    const int result = deflate(&stream, flush);
    if (result == Z_STREAM_ERROR) throw Exception(std::string("Deflate compression failed"));
    const size_t produced = FOutput.size() - stream.avail_out;
    if (produced > 0 && !sink(FOutput.data(), produced)) return false;
    if (finish ? result == Z_STREAM_END : stream.avail_out != 0) return true;
  }
}

}  // namespace lumora
