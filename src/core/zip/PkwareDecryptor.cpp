#include "core/zip/PkwareDecryptor.h"

#include <array>

#include "core/zip/ZipErrors.h"

namespace lumora {

namespace {

// The CRC-32 table (polynomial 0xEDB88320) that drives the key updates.
constexpr std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();
constexpr uint32_t kKeyMultiplier = 134775813;

inline uint32_t CrcStep(uint32_t crc, uint8_t byte) {
  return (crc >> 8) ^ kCrcTable[(crc ^ byte) & 0xFF];
}

TPkwareKeys KeysAfterHeader(std::string_view password, const uint8_t (&header)[12],
                            uint8_t& lastByte) {
  TPkwareKeys keys(password);
  uint8_t plain[TPkwareKeys::kHeaderSize];
  std::copy(std::begin(header), std::end(header), plain);
  keys.Decrypt(plain, sizeof plain);
  lastByte = plain[TPkwareKeys::kHeaderSize - 1];
  return keys;
}

}  // namespace

TPkwareKeys::TPkwareKeys(std::string_view password) {
  for (const char c : password) {
    FKey0 = CrcStep(FKey0, static_cast<uint8_t>(c));
    FKey1 = (FKey1 + (FKey0 & 0xFF)) * kKeyMultiplier + 1;
    FKey2 = CrcStep(FKey2, static_cast<uint8_t>(FKey1 >> 24));
  }
}

void TPkwareKeys::Decrypt(uint8_t* data, size_t count) {
  uint32_t k0 = FKey0;
  uint32_t k1 = FKey1;
  uint32_t k2 = FKey2;
  const uint32_t* table = kCrcTable.data();
  for (size_t i = 0; i < count; ++i) {
    // The key-stream byte depends on the low 16 bits of key 2 only.
    const uint32_t t = (k2 & 0xFFFF) | 2;
    const auto plain = static_cast<uint8_t>(data[i] ^ ((t * (t ^ 1)) >> 8));
    data[i] = plain;
    k0 = (k0 >> 8) ^ table[(k0 ^ plain) & 0xFF];
    // (k1 + b) * m + 1 split so that k1 * m + 1 does not wait for b.
    k1 = (k1 * kKeyMultiplier + 1) + (k0 & 0xFF) * kKeyMultiplier;
    k2 = (k2 >> 8) ^ table[(k2 ^ (k1 >> 24)) & 0xFF];
  }
  FKey0 = k0;
  FKey1 = k1;
  FKey2 = k2;
}

TPkwareDecryptor::TPkwareDecryptor(TZipByteSource& inner, std::string& password,
                                   uint8_t checkByte, uint8_t retries,
                                   const TZipNeedPassword& needPassword)
    : FInner(inner), FKeys(password) {
  if (password.empty() && needPassword) needPassword(password);
  if (password.empty()) throw EAbZipInvalidPassword();

  uint8_t header[TPkwareKeys::kHeaderSize];
  if (FInner.Read(header, sizeof header) != sizeof header) throw EAbZipBadData(kAbDataEndsEarly);

  // The same twelve bytes serve every attempt: a retry only changes the
  // password.
  for (unsigned attempt = 0;; ++attempt) {
    uint8_t last = 0;
    FKeys = KeysAfterHeader(password, header, last);
    if (last == checkByte) return;
    if (attempt >= retries) throw EAbZipInvalidPassword();
    if (needPassword) needPassword(password);
  }
}

size_t TPkwareDecryptor::Read(uint8_t* buffer, size_t count) {
  const size_t n = FInner.Read(buffer, count);
  FKeys.Decrypt(buffer, n);
  return n;
}

}  // namespace lumora
