// A small ZIP writer for building test archives in code: stored and Deflate
// entries, traditional PKWARE encryption, data descriptors, raw names and
// extra fields, Zip64 records, comments and bytes around the archive, and
// hand-made (damaged) compressed data through a Deflate bit writer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::test {

struct TZipTestEntry {
  std::string Name;  // the raw name bytes
  std::string Data;  // the uncompressed bytes
  uint16_t Method = 8;
  std::string Password;         // empty: not encrypted
  bool DataDescriptor = false;  // flag bit 3: checked against the time
  uint16_t ExtraFlags = 0;      // more flag bits, e.g. 0x0800 for UTF-8
  uint16_t VersionMadeBy = 20;  // host byte 0: MS-DOS
  uint16_t VersionNeeded = 20;
  uint16_t ModTime = 0x7D1C;
  uint16_t ModDate = 0x5A21;
  std::string Extra;  // the central header's extra field
  // Overrides: the CRC and uncompressed size written, and the compressed
  // bytes (before encryption) in place of what Deflate gives.
  std::optional<uint32_t> Crc;
  std::optional<uint64_t> DeclaredSize;
  std::optional<std::string> Compressed;
};

struct TZipTestOptions {
  std::string Comment;
  std::string Trailing;  // bytes after the end record
  bool Zip64 = false;    // escape every size, offset and count
};

std::string BuildZip(const std::vector<TZipTestEntry>& entries, const TZipTestOptions& options = {});

std::string DeflateRaw(std::string_view data, int level = 6);
uint32_t Crc32(std::string_view data);
// An extra-field block: identifier, size, data.
std::string ExtraBlock(uint16_t id, std::string_view data);
std::string Le16(uint16_t value);
std::string Le32(uint32_t value);
std::string Le64(uint64_t value);

// Writes Deflate bit fields least significant bit first, as RFC 1951 packs
// them.
class TBitWriter {
 public:
  void Bits(uint32_t value, int count);
  // Pads to a byte and returns everything written.
  std::string Finish();

 private:
  std::string FBytes;
  uint32_t FPending = 0;
  int FPendingBits = 0;
};

}  // namespace lumora::test
