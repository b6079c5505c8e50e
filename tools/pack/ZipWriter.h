// Writes the site archive: a ZIP archive whose entries are compressed with
// Deflate (or stored when Deflate does not make them smaller), encrypted with
// the traditional PKWARE cipher under one password (both done by
// TEntryEncoder), and described with Zip64 records where sizes, offsets or
// the entry count outgrow the classic fields. The output is a pure function
// of the entries' names, times and bytes and the compression level, so
// packing the same site twice gives the same archive.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Stream.h"
#include "pack/EntryEncoder.h"

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
  ~TZipWriter();
  TZipWriter(const TZipWriter&) = delete;
  TZipWriter& operator=(const TZipWriter&) = delete;

  // Adds an entry holding all of content, encoded here at the default
  // level (see TEntryEncoder::Encode for what content must allow).
  void AddEntry(const TZipEntryInfo& info, TStream& content);

  // Adds an entry encoded elsewhere, from the pieces a TEntrySink receives
  // (the data encrypted under this archive's password): BeginEntry, the
  // data, RestartEntry when the method changes, EndEntry. The archive stream
  // is written, sought back and truncated meanwhile.
  void BeginEntry(const TZipEntryInfo& info, const TEntryHead& head);
  void WriteEntryData(const uint8_t* data, size_t count);
  void RestartEntry(const TEntryHead& head);
  void EndEntry();

  // Writes the central directory and the end records. Nothing may be added
  // afterwards.
  void Finish();

  const std::string& Password() const { return FPassword; }

 private:
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

  void AppendSharedFields(const TRecord& record, size_t extraLength, TRecordBytes& bytes) const;
  void WriteLocalHeader(const TRecord& record);
  void WriteCentralHeader(const TRecord& record, TRecordBytes& directory) const;
  void WriteEndRecords(uint64_t directoryOffset, uint64_t directorySize);
  void SetMethod(const TEntryHead& head);
  uint16_t VersionNeeded(const TRecord& record) const;
  uint64_t Offset();

  TStream& FArchive;
  int64_t FBase;
  std::string FPassword;
  uint64_t FZip64Threshold;
  std::vector<TRecord> FRecords;
  // The entry being written, between BeginEntry and EndEntry.
  TRecord FEntry;
  int64_t FDataStart = -1;
  std::unique_ptr<TEntryEncoder> FEncoder;
  bool FFinished = false;
};

}  // namespace lumora
