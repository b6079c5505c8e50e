// The header checksum of a PE file: the 16-bit one's-complement style sum
// of the whole file with the checksum field left out, plus the file's
// length. Summed block by block so a large file never sits in memory.
#pragma once

#include <cstdint>
#include <span>

namespace lumora {

class TStream;

class TPeCheckSum {
 public:
  // checksumOffset: where the checksum field lies in the file.
  explicit TPeCheckSum(uint64_t checksumOffset) : FField(checksumOffset) {}

  // The next bytes of the file, in order; blocks of even length but the
  // last.
  void Add(std::span<const uint8_t> bytes);
  uint32_t Result() const;

  // Recomputes the checksum of the PE file in stream over all its bytes
  // (the image and whatever follows it) and writes it into the header.
  // A file that is not PE is left alone.
  static void Update(TStream& file);

 private:
  uint64_t FField;
  uint64_t FOffset = 0;
  uint64_t FSum = 0;
};

}  // namespace lumora
