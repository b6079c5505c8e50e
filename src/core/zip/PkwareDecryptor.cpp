#include "core/zip/PkwareDecryptor.h"

#include <algorithm>
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

// Tables that take work off the chain that links one byte's keys to the
// next (the decryption speed is that chain's latency):
// - the key-stream byte, ((t * (t ^ 1)) >> 8) with t = key2 | 2, depends only
//   on bits 2-15 of key 2 (bit 0 gives the same product either way), so it
//   is one load from a 16 KiB table;
// - that table's index after a key-2 update is the old key's bits 10-23 XOR
//   bits 2-15 of the table entry, one more small table;
// - the low byte of a CRC entry comes from its own table so that the key-1
//   update need not wait for the full entry.
constexpr std::array<uint8_t, 16384> MakeKeyStreamTable() {
  std::array<uint8_t, 16384> table{};
  for (uint32_t i = 0; i < table.size(); ++i) {
    const uint32_t t = (i << 2) | 2;
    table[i] = static_cast<uint8_t>((t * (t ^ 1)) >> 8);
  }
  return table;
}

constexpr std::array<uint16_t, 256> MakeCrcBits2To15() {
  std::array<uint16_t, 256> table{};
  for (size_t i = 0; i < table.size(); ++i) table[i] = (kCrcTable[i] >> 2) & 0x3FFF;
  return table;
}

constexpr std::array<uint8_t, 256> MakeCrcLowByte() {
  std::array<uint8_t, 256> table{};
  for (size_t i = 0; i < table.size(); ++i) table[i] = kCrcTable[i] & 0xFF;
  return table;
}

constexpr std::array<uint8_t, 16384> kKeyStream = MakeKeyStreamTable();
constexpr std::array<uint16_t, 256> kCrcBits2To15 = MakeCrcBits2To15();
constexpr std::array<uint8_t, 256> kCrcLowByte = MakeCrcLowByte();

inline uint32_t CrcStep(uint32_t crc, uint8_t byte) { return (crc >> 8) ^ kCrcTable[(crc ^ byte) & 0xFF]; }

TPkwareKeys KeysAfterHeader(std::string_view password, const uint8_t (&header)[12], uint8_t& lastByte) {
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

namespace {

// Slice-by-4 tables for the checksum that rides along with decryption.
constexpr std::array<std::array<uint32_t, 256>, 4> MakeSliceTables() {
  std::array<std::array<uint32_t, 256>, 4> tables{};
  tables[0] = kCrcTable;
  for (size_t k = 1; k < 4; ++k) {
    for (size_t i = 0; i < 256; ++i) {
      tables[k][i] = (tables[k - 1][i] >> 8) ^ kCrcTable[tables[k - 1][i] & 0xFF];
    }
  }
  return tables;
}

constexpr std::array<std::array<uint32_t, 256>, 4> kSlice = MakeSliceTables();

// The three keys in registers, and one byte's step.
struct TKeyState {
  uint32_t K0;
  uint32_t K1;
  uint32_t K2;
  uint32_t StreamIndex;

  [[gnu::always_inline]] inline void Step(uint8_t* byte) {
    const uint32_t plain = *byte ^ kKeyStream[StreamIndex];
    *byte = static_cast<uint8_t>(plain);
    Advance(plain);
  }

  [[gnu::always_inline]] inline void EncryptStep(uint8_t* byte) {
    const uint32_t plain = *byte;
    *byte = static_cast<uint8_t>(plain ^ kKeyStream[StreamIndex]);
    Advance(plain);
  }

  // The keys' update by one plain byte.
  [[gnu::always_inline]] inline void Advance(uint32_t plain) {
    const uint32_t x0 = (K0 & 0xFF) ^ plain;
    const uint32_t low0 = ((K0 >> 8) & 0xFF) ^ kCrcLowByte[x0];
    K0 = (K0 >> 8) ^ kCrcTable[x0];
    // (k1 + low0) * m + 1, split so that k1 * m + 1 is ready before low0;
    // the empty asm keeps the compiler from folding it back.
    uint32_t early = K1 * kKeyMultiplier + 1;
#if defined(__GNUC__)
    asm("" : "+r"(early));
#endif
    K1 = early + low0 * kKeyMultiplier;
    const uint32_t x2 = (K2 & 0xFF) ^ (K1 >> 24);
    StreamIndex = ((K2 >> 10) & 0x3FFF) ^ kCrcBits2To15[x2];
    K2 = (K2 >> 8) ^ kCrcTable[x2];
  }
};

}  // namespace

// Encryption runs on the same register-held keys and tables as decryption:
// a packer stores media at the speed of this loop.
template <bool kEncrypt>
void TPkwareKeys::Crypt(uint8_t* data, size_t count) {
  TKeyState keys{FKey0, FKey1, FKey2, (FKey2 >> 2) & 0x3FFF};
  for (size_t i = 0; i < count; ++i) {
    if constexpr (kEncrypt) {
      keys.EncryptStep(data + i);
    } else {
      keys.Step(data + i);
    }
  }
  FKey0 = keys.K0;
  FKey1 = keys.K1;
  FKey2 = keys.K2;
}

void TPkwareKeys::Decrypt(uint8_t* data, size_t count) { Crypt<false>(data, count); }

void TPkwareKeys::Encrypt(uint8_t* data, size_t count) { Crypt<true>(data, count); }

namespace {

// Four bytes of a CRC-32 (inverted, as zlib keeps it inside) at once.
[[gnu::always_inline]] inline uint32_t CrcFour(uint32_t c, const uint8_t* in) {
  c ^= static_cast<uint32_t>(in[0]) | (static_cast<uint32_t>(in[1]) << 8) | (static_cast<uint32_t>(in[2]) << 16) |
       (static_cast<uint32_t>(in[3]) << 24);
  return kSlice[3][c & 0xFF] ^ kSlice[2][(c >> 8) & 0xFF] ^ kSlice[1][(c >> 16) & 0xFF] ^ kSlice[0][c >> 24];
}

}  // namespace

size_t TPkwareKeys::DecryptAndChecksum(uint8_t* data, size_t count, std::span<const uint8_t> other, uint32_t& crc) {
  TKeyState keys{FKey0, FKey1, FKey2, (FKey2 >> 2) & 0x3FFF};
  const size_t paired = std::min(count, other.size() / 4);
  const uint8_t* in = other.data();
  uint32_t c = ~crc;
  for (size_t i = 0; i < paired; ++i, in += 4) {
    keys.Step(data + i);
    c = CrcFour(c, in);
  }
  for (size_t i = paired; i < count; ++i) keys.Step(data + i);
  crc = ~c;
  FKey0 = keys.K0;
  FKey1 = keys.K1;
  FKey2 = keys.K2;
  return paired * 4;
}

// At step i the checksum takes bytes 4i to 4i + 3, which the encryption
// (at byte i) has not reached yet; the checksum is done after a quarter of
// the bytes and the encryption goes on alone.
void TPkwareKeys::EncryptAndChecksum(uint8_t* data, size_t count, uint32_t& crc) {
  TKeyState keys{FKey0, FKey1, FKey2, (FKey2 >> 2) & 0x3FFF};
  const size_t paired = count / 4;
  uint32_t c = ~crc;
  for (size_t i = 0; i < paired; ++i) {
    c = CrcFour(c, data + 4 * i);
    keys.EncryptStep(data + i);
  }
  for (size_t i = 4 * paired; i < count; ++i) c = CrcStep(c, data[i]);
  for (size_t i = paired; i < count; ++i) keys.EncryptStep(data + i);
  crc = ~c;
  FKey0 = keys.K0;
  FKey1 = keys.K1;
  FKey2 = keys.K2;
}

TPkwareDecryptor::TPkwareDecryptor(TZipByteSource& inner, std::string& password, uint8_t checkByte, uint8_t retries,
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
  if (FBacklog == nullptr) {
    FKeys.Decrypt(buffer, n);
    return n;
  }
  uint32_t crc = FBacklog->RunningCrc();
  const size_t checksummed = FKeys.DecryptAndChecksum(buffer, n, FBacklog->Pending(), crc);
  FBacklog->Checksummed(checksummed, crc);
  return n;
}

}  // namespace lumora
