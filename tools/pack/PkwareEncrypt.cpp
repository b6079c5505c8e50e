#include "pack/PkwareEncrypt.h"

#include <zlib.h>

namespace lumora {

namespace {

// One step of the ZIP CRC-32 over a single byte, on the raw register (no
// pre- or post-inversion): the key schedule uses the register directly.
uint32_t CrcStep(uint32_t crc, uint8_t byte) {
  static const z_crc_t* const kTable = get_crc_table();
  return kTable[(crc ^ byte) & 0xFF] ^ (crc >> 8);
}

}  // namespace

TPkwareEncryptor::TPkwareEncryptor(std::string_view password) {
  for (const char c : password) UpdateKeys(static_cast<uint8_t>(c));
}

void TPkwareEncryptor::UpdateKeys(uint8_t plain) {
  FKey0 = CrcStep(FKey0, plain);
  FKey1 = (FKey1 + (FKey0 & 0xFF)) * 134775813u + 1;
  FKey2 = CrcStep(FKey2, static_cast<uint8_t>(FKey1 >> 24));
}

void TPkwareEncryptor::Encrypt(uint8_t* data, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const uint8_t plain = data[i];
    const uint32_t t = (FKey2 & 0xFFFF) | 2;
    data[i] = static_cast<uint8_t>(plain ^ ((t * (t ^ 1)) >> 8));
    UpdateKeys(plain);
  }
}

}  // namespace lumora
