// Output bytes still waiting for their CRC-32. Decryption is bound by the
// latency of its key chain and leaves most of the processor idle, so the
// decryption layer checksums the output of the previous block in the same
// loop instead of the output layer doing it in a pass of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace lumora {

class TZipCrcBacklog {
 public:
  virtual ~TZipCrcBacklog() = default;
  // The bytes written but not yet checksummed.
  virtual std::span<const uint8_t> Pending() = 0;
  // The running CRC-32 (zlib's convention) so far.
  virtual uint32_t RunningCrc() const = 0;
  // The first count pending bytes are checksummed; crc is the new running value.
  virtual void Checksummed(size_t count, uint32_t crc) = 0;
};

}  // namespace lumora
