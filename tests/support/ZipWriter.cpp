#include "support/ZipWriter.h"

#include <zlib.h>

#include <stdexcept>

namespace lumora::test {

namespace {

class TKeys {
 public:
  explicit TKeys(std::string_view password) {
    for (const char c : password) Update(static_cast<uint8_t>(c));
  }
  uint8_t Encrypt(uint8_t plain) {
    const uint32_t t = (FKey2 & 0xFFFF) | 2;
    const auto cipher = static_cast<uint8_t>(plain ^ ((t * (t ^ 1)) >> 8));
    Update(plain);
    return cipher;
  }

 private:
  static uint32_t Crc(uint32_t crc, uint8_t byte) {
    // One CRC-32 byte step, bit by bit: slow, and independent of the
    // reader's table.
    uint32_t c = (crc ^ byte) & 0xFF;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    return (crc >> 8) ^ c;
  }
  void Update(uint8_t plain) {
    FKey0 = Crc(FKey0, plain);
    FKey1 = (FKey1 + (FKey0 & 0xFF)) * 134775813u + 1;
    FKey2 = Crc(FKey2, static_cast<uint8_t>(FKey1 >> 24));
  }
  uint32_t FKey0 = 0x12345678, FKey1 = 0x23456789, FKey2 = 0x34567890;
};

std::string Encrypt(std::string_view password, uint8_t checkByte, std::string_view data) {
  TKeys keys(password);
  std::string out;
  out.reserve(12 + data.size());
  for (int i = 0; i < 11; ++i) out += static_cast<char>(keys.Encrypt(static_cast<uint8_t>(i * 37 + 5)));
  out += static_cast<char>(keys.Encrypt(checkByte));
  for (const char c : data) out += static_cast<char>(keys.Encrypt(static_cast<uint8_t>(c)));
  return out;
}

}  // namespace

std::string Le16(uint16_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string Le32(uint32_t v) { return Le16(static_cast<uint16_t>(v)) + Le16(static_cast<uint16_t>(v >> 16)); }
std::string Le64(uint64_t v) { return Le32(static_cast<uint32_t>(v)) + Le32(static_cast<uint32_t>(v >> 32)); }

uint32_t Crc32(std::string_view data) {
  return static_cast<uint32_t>(::crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

std::string ExtraBlock(uint16_t id, std::string_view data) {
  return Le16(id) + Le16(static_cast<uint16_t>(data.size())) + std::string(data);
}

std::string DeflateRaw(std::string_view data, int level) {
  z_stream stream{};
  if (deflateInit2(&stream, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    throw std::runtime_error("deflateInit2");
  }
  std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

std::string BuildZip(const std::vector<TZipTestEntry>& entries, const TZipTestOptions& options) {
  std::string archive;
  std::string directory;
  for (const auto& entry : entries) {
    const uint32_t crc = entry.Crc.value_or(Crc32(entry.Data));
    const uint64_t size = entry.DeclaredSize.value_or(entry.Data.size());
    std::string payload = entry.Compressed    ? *entry.Compressed
                          : entry.Method == 8 ? DeflateRaw(entry.Data)
                                              : entry.Data;
    uint16_t flags = entry.ExtraFlags;
    if (!entry.Password.empty()) {
      flags |= 1;
      const uint8_t check =
          entry.DataDescriptor ? static_cast<uint8_t>(entry.ModTime >> 8) : static_cast<uint8_t>(crc >> 24);
      payload = Encrypt(entry.Password, check, payload);
    }
    if (entry.DataDescriptor) flags |= 8;
    const uint64_t offset = archive.size();

    archive += Le32(0x04034B50) + Le16(entry.VersionNeeded) + Le16(flags) + Le16(entry.Method) + Le16(entry.ModTime) +
               Le16(entry.ModDate);
    if (entry.DataDescriptor) {
      archive += Le32(0) + Le32(0) + Le32(0);
    } else {
      archive += Le32(crc) + Le32(static_cast<uint32_t>(payload.size())) + Le32(static_cast<uint32_t>(size));
    }
    archive += Le16(static_cast<uint16_t>(entry.Name.size())) + Le16(0) + entry.Name + payload;
    if (entry.DataDescriptor) {
      archive += Le32(0x08074B50) + Le32(crc) + Le32(static_cast<uint32_t>(payload.size())) +
                 Le32(static_cast<uint32_t>(size));
    }

    std::string extra = entry.Extra;
    uint32_t compressed32 = static_cast<uint32_t>(payload.size());
    uint32_t size32 = static_cast<uint32_t>(size);
    uint32_t offset32 = static_cast<uint32_t>(offset);
    if (options.Zip64) {
      extra = ExtraBlock(1, Le64(size) + Le64(payload.size()) + Le64(offset)) + extra;
      compressed32 = size32 = offset32 = 0xFFFFFFFF;
    }
    directory += Le32(0x02014B50) + Le16(entry.VersionMadeBy) + Le16(entry.VersionNeeded) + Le16(flags) +
                 Le16(entry.Method) + Le16(entry.ModTime) + Le16(entry.ModDate) + Le32(crc) + Le32(compressed32) +
                 Le32(size32) + Le16(static_cast<uint16_t>(entry.Name.size())) +
                 Le16(static_cast<uint16_t>(extra.size())) + Le16(0) + Le16(0) + Le16(0) + Le32(0) + Le32(offset32) +
                 entry.Name + extra;
  }

  const uint64_t directoryOffset = archive.size();
  archive += directory;
  const uint64_t count = entries.size();
  if (options.Zip64) {
    const uint64_t recordOffset = archive.size();
    archive += Le32(0x06064B50) + Le64(44) + Le16(45) + Le16(45) + Le32(0) + Le32(0) + Le64(count) + Le64(count) +
               Le64(directory.size()) + Le64(directoryOffset);
    archive += Le32(0x07064B50) + Le32(0) + Le64(recordOffset) + Le32(1);
    archive += Le32(0x06054B50) + Le16(0xFFFF) + Le16(0xFFFF) + Le16(0xFFFF) + Le16(0xFFFF) + Le32(0xFFFFFFFF) +
               Le32(0xFFFFFFFF);
  } else {
    archive += Le32(0x06054B50) + Le16(0) + Le16(0) + Le16(static_cast<uint16_t>(count)) +
               Le16(static_cast<uint16_t>(count)) + Le32(static_cast<uint32_t>(directory.size())) +
               Le32(static_cast<uint32_t>(directoryOffset));
  }
  archive += Le16(static_cast<uint16_t>(options.Comment.size())) + options.Comment + options.Trailing;
  return archive;
}

void TBitWriter::Bits(uint32_t value, int count) {
  for (int i = 0; i < count; ++i) {
    FPending |= ((value >> i) & 1u) << FPendingBits;
    if (++FPendingBits == 8) {
      FBytes += static_cast<char>(FPending);
      FPending = 0;
      FPendingBits = 0;
    }
  }
}

std::string TBitWriter::Finish() {
  if (FPendingBits > 0) FBytes += static_cast<char>(FPending);
  FPending = 0;
  FPendingBits = 0;
  return FBytes;
}

}  // namespace lumora::test
