// The decompression layer: Deflate (method 8) through zlib's raw inflate,
// and the plain copy of a stored entry (method 0). Both pull from the layer
// below in large blocks and decode straight into the output layer's room.
#pragma once

#include <zlib.h>

#include <cstdint>

#include "core/zip/ZipByteSource.h"
#include "core/zip/ZipOutput.h"

namespace lumora {

// One raw inflate stream; ended however decoding leaves.
class TInflateStream {
 public:
  TInflateStream();
  ~TInflateStream();
  TInflateStream(const TInflateStream&) = delete;
  TInflateStream& operator=(const TInflateStream&) = delete;

  z_stream* operator->() { return &FStream; }
  z_stream* get() { return &FStream; }

  // Raises EAbZipBadData naming zlib's message.
  [[noreturn]] void RaiseError() const;

 private:
  z_stream FStream{};
};

class TZipInflater {
 public:
  // Decodes a raw Deflate stream up to its final block. inputSize is the
  // most the source can give, used to size the input buffer. Raises
  // EAbZipBadData for damaged data, for data that ends before the final
  // block, and for output beyond the declared size (after writing exactly
  // the declared size).
  static void Inflate(TZipByteSource& source, uint64_t inputSize, TZipOutput& output);

  // Copies exactly count bytes; EAbZipBadData when the source ends first.
  static void CopyStored(TZipByteSource& source, uint64_t count, TZipOutput& output);
};

}  // namespace lumora
