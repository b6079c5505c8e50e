// The top layer of an entry's read path: the decoded bytes go into the
// caller's stream, never more than the entry declares, with a running CRC-32
// to check against the directory's.
//
// The layer below decodes straight into the room this layer hands out. For a
// memory stream that room is the stream's own buffer, so an entry's bytes are
// written once; for any other stream it is a staging buffer written through.
// However an extraction ends, the stream is left holding exactly the bytes
// committed so far, at its position, as a series of writes would have.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "base/Stream.h"
#include "core/zip/ZipCrcBacklog.h"

namespace lumora {

class TZipOutput final : public TZipCrcBacklog {
 public:
  // declaredSize: the entry's uncompressed size, the most this layer writes.
  // expectedSize: how much to make room for up front (capped; the declared
  // size of a hostile entry may be far from what its data can give).
  TZipOutput(TStream& target, uint64_t declaredSize, uint64_t expectedSize);
  ~TZipOutput() override;
  TZipOutput(const TZipOutput&) = delete;
  TZipOutput& operator=(const TZipOutput&) = delete;

  // Room for up to wanted bytes; empty once the declared size is reached.
  std::span<uint8_t> Room(size_t wanted);
  // The first count bytes of the last room now hold data.
  void Commit(size_t count);
  // Leaves the stream as described above; called by the destructor too.
  void Finish();

  uint64_t Written() const { return FWritten; }
  // The CRC-32 of everything committed, checksumming what is still pending.
  uint32_t Crc();

  // A memory stream's bytes stay in place, so their checksum may wait for
  // the decryption layer to do it alongside its own work; a staging buffer
  // is checksummed before it is reused.
  std::span<const uint8_t> Pending() override;
  uint32_t RunningCrc() const override { return FCrc; }
  void Checksummed(size_t count, uint32_t crc) override;

 private:
  TStream& FTarget;
  TMemoryStream* FMemory;
  uint64_t FDeclared;
  uint64_t FWritten = 0;
  uint64_t FChecksummed = 0;
  uint32_t FCrc = 0;
  bool FFinished = false;
  // Memory stream: where the entry starts and the stream's size before it.
  size_t FBase = 0;
  size_t FOriginalSize = 0;
  uint8_t* FRoom = nullptr;
  std::unique_ptr<uint8_t[]> FStaging;
};

}  // namespace lumora
