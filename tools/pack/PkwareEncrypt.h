// The traditional PKWARE stream cipher, encrypting side: three 32-bit keys
// stirred by every plain byte, each cipher byte the plain byte XOR a
// key-stream byte from the third key. The reader's TPkwareKeys undoes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace lumora {

class TPkwareEncryptor {
 public:
  static constexpr size_t kHeaderSize = 12;

  // Starts the keys from the fixed initial values and feeds the password's
  // bytes through them.
  explicit TPkwareEncryptor(std::string_view password);

  // Encrypts count bytes in place; the keys advance with each plain byte.
  void Encrypt(uint8_t* data, size_t count);

 private:
  void UpdateKeys(uint8_t plain);

  uint32_t FKey0 = 0x12345678;
  uint32_t FKey1 = 0x23456789;
  uint32_t FKey2 = 0x34567890;
};

}  // namespace lumora
