// The decryption layer: traditional PKWARE encryption (APPNOTE 6.1). Three
// 32-bit keys, seeded from the password, are stirred by every plain byte;
// each cipher byte is the plain byte XOR a key-stream byte from the third
// key. Each entry starts with a 12-byte encryption header whose last byte,
// decrypted, tells whether the password is right.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "core/zip/ZipByteSource.h"
#include "core/zip/ZipCrcBacklog.h"

namespace lumora {

class TPkwareKeys {
 public:
  static constexpr size_t kHeaderSize = 12;

  explicit TPkwareKeys(std::string_view password);

  // Decrypts in place. The keys live in registers for the whole block.
  void Decrypt(uint8_t* data, size_t count);
  // Encrypts in place: the writing side of the same cipher, for the packer.
  void Encrypt(uint8_t* data, size_t count);
  // The same, and meanwhile advances crc (zlib's convention) over up to four
  // bytes of other data per decrypted byte, filling the idle slots of the
  // key chain. Returns how many bytes of other were checksummed.
  size_t DecryptAndChecksum(uint8_t* data, size_t count, std::span<const uint8_t> other, uint32_t& crc);
  // Encrypts in place and meanwhile advances crc (zlib's convention) over
  // the same bytes as they were before, in the key chain's idle slots.
  void EncryptAndChecksum(uint8_t* data, size_t count, uint32_t& crc);

 private:
  template <bool kEncrypt>
  void Crypt(uint8_t* data, size_t count);

  uint32_t FKey0 = 0x12345678;
  uint32_t FKey1 = 0x23456789;
  uint32_t FKey2 = 0x34567890;
};

// Asked for another password after a failed check; may change the text.
using TZipNeedPassword = std::function<void(std::string& password)>;

class TPkwareDecryptor final : public TZipByteSource {
 public:
  // Reads the encryption header from inner and checks the password: the
  // twelfth decrypted byte must equal checkByte, the top byte of the
  // entry's CRC-32 or, for an entry written with a data descriptor (flag
  // bit 3), of its modification time, because a streaming writer does not
  // know the CRC when it writes the header. An empty password, or every
  // failed check, first asks needPassword (when set) for another one;
  // after retries further failures EAbZipInvalidPassword is raised.
  // password receives what needPassword gave.
  TPkwareDecryptor(TZipByteSource& inner, std::string& password, uint8_t checkByte, uint8_t retries,
                   const TZipNeedPassword& needPassword);
  // Goes on decrypting where keys were taken (Keys), inner's next byte
  // being the one that followed then: no header, no password check.
  TPkwareDecryptor(TZipByteSource& inner, const TPkwareKeys& keys) : FInner(inner), FKeys(keys) {}

  // The keys as the bytes read so far left them.
  const TPkwareKeys& Keys() const { return FKeys; }

  size_t Read(uint8_t* buffer, size_t count) override;

  // Bytes to checksum while decrypting, or nullptr.
  void ShareWork(TZipCrcBacklog* backlog) { FBacklog = backlog; }

 private:
  TZipByteSource& FInner;
  TPkwareKeys FKeys;
  TZipCrcBacklog* FBacklog = nullptr;
};

}  // namespace lumora
