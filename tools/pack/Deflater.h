// A raw Deflate (RFC 1951) compressor over zlib, reused from entry to entry
// so that a site of many small files does not pay for a new zlib state each
// time.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace lumora {

class TDeflater {
 public:
  // Receives each piece of compressed output; returns false to stop the
  // compression early (the rest of the input is then not wanted).
  using TSink = std::function<bool(uint8_t* data, size_t count)>;

  // level: zlib's 1 (fastest) to 9 (smallest).
  explicit TDeflater(int level);
  ~TDeflater();
  TDeflater(const TDeflater&) = delete;
  TDeflater& operator=(const TDeflater&) = delete;

  // Starts a new stream.
  void Reset();
  // Compresses count bytes; with finish set they are the last ones and the
  // final block is written. Returns false when the sink asked to stop.
  bool Compress(const uint8_t* data, size_t count, bool finish, const TSink& sink);

 private:
  struct TState;
  std::unique_ptr<TState> FState;
  std::vector<uint8_t> FOutput;
};

}  // namespace lumora
