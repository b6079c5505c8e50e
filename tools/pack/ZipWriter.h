// Writes the site archive: a ZIP archive whose entries are compressed with
// Deflate (or stored when Deflate does not make them smaller), encrypted with
// the traditional PKWARE cipher under one password, and described with Zip64
// records where sizes, offsets or the entry count outgrow the classic
// fields. The output is a pure function of the entries' names, times and
// bytes, so packing the same site twice gives the same archive.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/Stream.h"
#include "pack/Deflater.h"
#include "core/zip/PkwareDecryptor.h"

namespace lumora {

class TRecordBytes;

struct TZipEntryInfo {
  // The entry name in UTF-8 with "/" between folders. Names with bytes of
  // 0x80 or more are flagged as UTF-8.
  std::string Name;
  uint16_t DosTime = 0;
  uint16_t DosDate = 0;
};

class TZipWriter {
 public:
  // Values at or above this do not fit the classic 32-bit fields.
  static constexpr uint64_t kZip64Limit = 0xFFFFFFFF;

  // Writes at archive's current position, which becomes offset 0 of the
  // archive. zip64Threshold lowers the point where Zip64 records start, so
  // that tests can reach them without gigabytes of data.
  TZipWriter(TStream& archive, std::string password, uint64_t zip64Threshold = kZip64Limit);

  // Adds an entry holding all of content, from its start. content is read
  // twice, first for its CRC and then to compress it, so it must be seekable
  // and must not change in between (a change raises an error). The archive
  // stream is written, sought back and truncated while the entry is added.
  void AddEntry(const TZipEntryInfo& info, TStream& content);

  // Writes the central directory and the end records. Nothing may be added
  // afterwards.
  void Finish();

  // Called with the number of content bytes read by each step, for progress
  // displays; every entry is read twice.
  std::function<void(int64_t count)> OnContentRead;

 private:
  struct TDigest {
    int64_t Size = 0;
    uint32_t Crc = 0;
    uint32_t Adler = 0;
  };
  struct TRecord {
    std::string Name;
    uint16_t Flags = 0;
    uint16_t Method = 0;
    uint16_t DosTime = 0;
    uint16_t DosDate = 0;
    uint32_t Crc = 0;
    uint64_t CompressedSize = 0;
    uint64_t Size = 0;
    uint64_t LocalOffset = 0;
    bool Zip64Sizes = false;
  };

  TDigest DigestContent(TStream& content, const std::string& name);
  void AppendSharedFields(const TRecord& record, size_t extraLength, TRecordBytes& bytes) const;
  void WriteLocalHeader(const TRecord& record);
  void WriteCentralHeader(const TRecord& record, TRecordBytes& directory) const;
  void WriteEndRecords(uint64_t directoryOffset, uint64_t directorySize);
  bool WriteDeflated(TRecord& record, TStream& content, const TDigest& digest);
  void WriteStored(TRecord& record, TStream& content, const TDigest& digest);
  std::vector<uint8_t> EncryptionHeader(const std::string& name, const TDigest& digest) const;
  // Writes the entry's encryption header; returns the keys that go on to
  // encrypt its data.
  TPkwareKeys StartEncryption(const std::string& name, const TDigest& digest);
  uint16_t VersionNeeded(const TRecord& record) const;
  uint64_t Offset();

  TStream& FArchive;
  int64_t FBase;
  std::string FPassword;
  uint64_t FZip64Threshold;
  std::vector<TRecord> FRecords;
  TDeflater FDeflater;
  std::vector<uint8_t> FBuffer;
  bool FFinished = false;
};

}  // namespace lumora
