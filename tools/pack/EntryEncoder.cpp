#include "pack/EntryEncoder.h"

#include <zlib.h>

#include <algorithm>

#include "base/Exception.h"
#include "core/zip/PkwareDecryptor.h"
#include "pack/CompressedFormats.h"

namespace lumora {

namespace {

// The general purpose flag bits 1 and 2 of a Deflate entry, set for each
// level as Info-ZIP sets them: maximum (8, 9), fast (2), super fast (1),
// normal otherwise.
uint16_t LevelFlags(int level) {
  if (level >= 8) return 0x0002;
  if (level == 2) return 0x0004;
  if (level == 1) return 0x0006;
  return 0;
}

// Which checksums a read computes: the first read both (the CRC for the
// archive, both for the encryption header), a compressing read the CRC to
// see that the content has not changed, a storing read none (the cipher
// computes the CRC on the way).
enum class TSums { CrcAndAdler, Crc, None };

// Reads an entry's content from its start in full blocks (the last one
// shorter), so that the blocks, and with them everything computed from them,
// are the same on every run. At the end it checks that the content is still
// what the first read measured.
class TContentPass {
 public:
  // Bytes up to counted were already reported by an abandoned pass and are
  // not reported again.
  TContentPass(TStream& content, std::vector<uint8_t>& buffer, const std::string& name,
               const TEntryEncoder::TOnRead& onRead, TSums sums, int64_t counted = 0)
      : FContent(content), FBuffer(buffer), FName(name), FOnRead(onRead), FSums(sums), FCounted(counted) {
    FContent.SetPosition(0);
  }

  // The next block, or 0 bytes at the end.
  size_t Next() {
    size_t count = 0;
    while (count < FBuffer.size()) {
      const int64_t got = FContent.Read(FBuffer.data() + count, static_cast<int64_t>(FBuffer.size() - count));
      if (got <= 0) break;
      count += static_cast<size_t>(got);
    }
    if (count == 0) return 0;
    if (FSums != TSums::None) {
      FCrc = static_cast<uint32_t>(crc32(FCrc, FBuffer.data(), static_cast<uInt>(count)));
    }
    if (FSums == TSums::CrcAndAdler) {
      FAdler = static_cast<uint32_t>(adler32(FAdler, FBuffer.data(), static_cast<uInt>(count)));
    }
    const int64_t before = FSize;
    FSize += static_cast<int64_t>(count);
    const int64_t fresh = FSize - std::max(before, FCounted);
    if (FOnRead && fresh > 0) FOnRead(fresh);
    return count;
  }

  int64_t Size() const { return FSize; }
  uint32_t Crc() const { return FCrc; }
  uint32_t Adler() const { return FAdler; }

  // crc is this read's CRC-32, computed here or by the caller.
  void ExpectSame(int64_t size, uint32_t expectedCrc, uint32_t crc) const {
    if (FSize != size || crc != expectedCrc) {
      throw Exception(Format(u"\"%s\" changed while it was being packed", {FromUtf8(FName)}));
    }
  }

 private:
  TStream& FContent;
  std::vector<uint8_t>& FBuffer;
  const std::string& FName;
  const TEntryEncoder::TOnRead& FOnRead;
  TSums FSums;
  int64_t FCounted;
  int64_t FSize = 0;
  uint32_t FCrc = static_cast<uint32_t>(crc32(0, nullptr, 0));
  uint32_t FAdler = static_cast<uint32_t>(adler32(0, nullptr, 0));
};

// The 12 bytes in front of an entry's data. Their first 11 bytes exist only
// to set the cipher's keys to a state no other entry shares, so that no two
// entries encrypted under the one password are XORed with the same key
// stream. Random bytes would do that but would make every packing of the
// same site differ; bytes derived from the entry's own name and content
// (FNV-1a over both, stretched with SplitMix64) give distinct entries
// distinct states while the same site always packs to the same bytes. Two
// entries equal in name and content get equal headers, which tells nothing
// their CRCs do not already tell. The twelfth byte is the CRC's high byte,
// the check value readers test the password against.
std::vector<uint8_t> EncryptionHeader(const std::string& name, int64_t size, uint32_t crc, uint32_t adler) {
  uint64_t hash = 0xCBF29CE484222325ull;
  const auto mix = [&hash](uint8_t byte) {
    hash ^= byte;
    hash *= 0x100000001B3ull;
  };
  for (const char c : name) mix(static_cast<uint8_t>(c));
  mix(0);
  for (int i = 0; i < 8; ++i) mix(static_cast<uint8_t>(static_cast<uint64_t>(size) >> (8 * i)));
  for (int i = 0; i < 4; ++i) mix(static_cast<uint8_t>(crc >> (8 * i)));
  for (int i = 0; i < 4; ++i) mix(static_cast<uint8_t>(adler >> (8 * i)));

  std::vector<uint8_t> header(TPkwareKeys::kHeaderSize);
  uint64_t state = hash;
  for (size_t i = 0; i + 1 < header.size(); ++i) {
    state += 0x9E3779B97F4A7C15ull;
    uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    header[i] = static_cast<uint8_t>(z ^ (z >> 31));
  }
  header.back() = static_cast<uint8_t>(crc >> 24);
  return header;
}

}  // namespace

TEntryEncoder::TEntryEncoder(std::string password, int level)
    : FPassword(std::move(password)),
      FLevel(std::clamp(level, 0, kMaxLevel)),
      FDeflater(std::max(FLevel, 1)),
      FBuffer(kBlockSize) {}

void TEntryEncoder::Encode(const std::string& name, TStream& content, TEntrySink& sink, const TOnRead& onRead) {
  const TDigest digest = Measure(name, content, onRead);
  TEntryHead head{digest.Size, digest.Crc, kZipMethodStored, 0};
  if (WorthDeflating(digest.Size)) {
    head.Method = kZipMethodDeflated;
    head.LevelFlags = LevelFlags(FLevel);
  }
  sink.Begin(head);
  int64_t counted = 0;
  if (head.Method == kZipMethodDeflated) {
    if (WriteDeflated(name, content, digest, sink, onRead, counted)) return;
    head.Method = kZipMethodStored;
    head.LevelFlags = 0;
    sink.Restart(head);
  }
  WriteStored(name, content, digest, sink, onRead, counted);
}

TEntryEncoder::TDigest TEntryEncoder::Measure(const std::string& name, TStream& content, const TOnRead& onRead) {
  TContentPass pass(content, FBuffer, name, onRead, TSums::CrcAndAdler);
  FFirstBlock.clear();
  for (size_t count = pass.Next(); count > 0; count = pass.Next()) {
    if (FFirstBlock.empty()) FFirstBlock.assign(FBuffer.begin(), FBuffer.begin() + count);
  }
  return TDigest{pass.Size(), pass.Crc(), pass.Adler()};
}

// Decided from the first block alone, so that a large picture or film is
// stored at the speed of its encryption instead of being compressed in
// vain first.
bool TEntryEncoder::WorthDeflating(int64_t size) {
  if (FLevel == 0 || size == 0) return false;
  if (TCompressedFormats::Recognizes(FFirstBlock)) return false;
  if (size <= static_cast<int64_t>(kBlockSize)) return true;
  size_t compressed = 0;
  FDeflater.Reset();
  FDeflater.Compress(FFirstBlock.data(), FFirstBlock.size(), true, [&](uint8_t*, size_t count) {
    compressed += count;
    return true;
  });
  return compressed + FFirstBlock.size() / 32 <= FFirstBlock.size();
}

TPkwareKeys TEntryEncoder::StartEncryption(const std::string& name, const TDigest& digest, TEntrySink& sink) {
  TPkwareKeys cipher(FPassword);
  std::vector<uint8_t> header = EncryptionHeader(name, digest.Size, digest.Crc, digest.Adler);
  cipher.Encrypt(header.data(), header.size());
  sink.Data(header.data(), header.size());
  return cipher;
}

bool TEntryEncoder::WriteDeflated(const std::string& name, TStream& content, const TDigest& digest, TEntrySink& sink,
                                  const TOnRead& onRead, int64_t& counted) {
  TPkwareKeys cipher = StartEncryption(name, digest, sink);
  // Compression gives up as soon as its output reaches the content's size:
  // from there on storing is as small or smaller.
  int64_t compressed = 0;
  const TDeflater::TSink output = [&](uint8_t* data, size_t count) {
    compressed += static_cast<int64_t>(count);
    if (compressed >= digest.Size) return false;
    cipher.Encrypt(data, count);
    sink.Data(data, count);
    return true;
  };
  FDeflater.Reset();
  TContentPass pass(content, FBuffer, name, onRead, TSums::Crc);
  for (;;) {
    const size_t count = pass.Next();
    if (!FDeflater.Compress(FBuffer.data(), count, count == 0, output)) {
      counted = pass.Size();
      return false;
    }
    if (count == 0) break;
  }
  pass.ExpectSame(digest.Size, digest.Crc, pass.Crc());
  return true;
}

void TEntryEncoder::WriteStored(const std::string& name, TStream& content, const TDigest& digest, TEntrySink& sink,
                                const TOnRead& onRead, int64_t counted) {
  TPkwareKeys cipher = StartEncryption(name, digest, sink);
  TContentPass pass(content, FBuffer, name, onRead, TSums::None, counted);
  uint32_t crc = static_cast<uint32_t>(crc32(0, nullptr, 0));
  for (size_t count = pass.Next(); count > 0; count = pass.Next()) {
    cipher.EncryptAndChecksum(FBuffer.data(), count, crc);
    sink.Data(FBuffer.data(), count);
  }
  pass.ExpectSame(digest.Size, digest.Crc, crc);
}

}  // namespace lumora
