// Turns one entry's content into the bytes an archive keeps for it. The
// content is read twice: first for its size and checksums, which choose the
// method and the encryption header, then to be compressed (or not) and
// encrypted. What comes out depends only on the entry's name, its bytes and
// the compression level, never on which encoder or thread did the work, so
// entries encoded side by side give the archive one encoder would.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Stream.h"
#include "pack/Deflater.h"

namespace lumora {

class TPkwareKeys;

inline constexpr uint16_t kZipMethodStored = 0;
inline constexpr uint16_t kZipMethodDeflated = 8;

// What the archive records about an entry before its data.
struct TEntryHead {
  int64_t Size = 0;
  uint32_t Crc = 0;
  uint16_t Method = kZipMethodStored;
  // The general purpose flag bits 1 and 2, which tell Deflate's level.
  uint16_t LevelFlags = 0;
};

// Receives an encoded entry, in this order: Begin, Data any number of
// times, and possibly Restart followed by the data again.
class TEntrySink {
 public:
  virtual ~TEntrySink() = default;
  virtual void Begin(const TEntryHead& head) = 0;
  // The next bytes of the entry's data, encrypted; the first twelve are the
  // encryption header.
  virtual void Data(const uint8_t* data, size_t count) = 0;
  // Deflate did not make the entry smaller after all: the data given so far
  // is void, the entry is stored (head says so) and its data starts again.
  virtual void Restart(const TEntryHead& head) = 0;
};

class TEntryEncoder {
 public:
  static constexpr int kDefaultLevel = 9;
  static constexpr int kMaxLevel = 9;
  // Content is read in blocks of this size. An entry larger than one block
  // is compressed only when its first block, compressed on trial, shrinks
  // by at least a 32nd; a smaller entry is its own trial.
  static constexpr size_t kBlockSize = 64 * 1024;

  using TOnRead = std::function<void(int64_t count)>;

  // level 0 stores every entry; 1 to 9 are Deflate's levels, 9 the smallest.
  TEntryEncoder(std::string password, int level);

  // Encodes all of content from its start into sink. content must be
  // seekable and must not change between the two reads (a change raises an
  // Exception naming the entry). onRead, if set, is told of every content
  // byte read, twice per entry in all.
  void Encode(const std::string& name, TStream& content, TEntrySink& sink, const TOnRead& onRead);

 private:
  struct TDigest {
    int64_t Size = 0;
    uint32_t Crc = 0;
    uint32_t Adler = 0;
  };

  TDigest Measure(const std::string& name, TStream& content, const TOnRead& onRead);
  bool WorthDeflating(int64_t size);
  // Returns false, having read counted bytes, when Deflate stops paying.
  bool WriteDeflated(const std::string& name, TStream& content, const TDigest& digest, TEntrySink& sink,
                     const TOnRead& onRead, int64_t& counted);
  void WriteStored(const std::string& name, TStream& content, const TDigest& digest, TEntrySink& sink,
                   const TOnRead& onRead, int64_t counted);
  TPkwareKeys StartEncryption(const std::string& name, const TDigest& digest, TEntrySink& sink);

  std::string FPassword;
  int FLevel;
  TDeflater FDeflater;
  std::vector<uint8_t> FBuffer;
  std::vector<uint8_t> FFirstBlock;
};

}  // namespace lumora
