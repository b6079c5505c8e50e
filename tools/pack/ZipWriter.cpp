#include "pack/ZipWriter.h"

#include <algorithm>

#include "base/Exception.h"
#include "core/zip/ZipRecords.h"
#include "core/zip/PkwareDecryptor.h"

namespace lumora {

// Little-endian bytes of one or more ZIP records.
class TRecordBytes {
 public:
  TRecordBytes& U16(uint64_t value) { return Put(value, 2); }
  TRecordBytes& U32(uint64_t value) { return Put(value, 4); }
  TRecordBytes& U64(uint64_t value) { return Put(value, 8); }
  TRecordBytes& Text(const std::string& text) {
    FBytes.insert(FBytes.end(), text.begin(), text.end());
    return *this;
  }
  TRecordBytes& Bytes(const std::vector<uint8_t>& bytes) {
    FBytes.insert(FBytes.end(), bytes.begin(), bytes.end());
    return *this;
  }
  void WriteTo(TStream& stream) const { stream.WriteBuffer(FBytes.data(), static_cast<int64_t>(FBytes.size())); }
  const std::vector<uint8_t>& Data() const { return FBytes; }

 private:
  TRecordBytes& Put(uint64_t value, int count) {
    for (int i = 0; i < count; ++i) FBytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    return *this;
  }
  std::vector<uint8_t> FBytes;
};

namespace {

// Version 2.0 covers Deflate and the PKWARE cipher, 4.5 adds Zip64.
constexpr uint16_t kVersionBasic = 20;
constexpr uint16_t kVersionZip64 = 45;
// The high byte of "version made by": the host whose file attributes the
// entry carries. No attributes are stored, but the host cannot be MS-DOS (0):
// Info-ZIP's unzip translates names from an MS-DOS host out of an OEM code
// page even when they are flagged as UTF-8. NTFS (11) is read as it stands.
constexpr uint16_t kHostNtfs = 11 << 8;

constexpr size_t kEncryptionHeaderSize = TPkwareKeys::kHeaderSize;
constexpr uint16_t kMaxCount16 = 0xFFFF;

// A classic 32-bit field: the value, or all ones when a Zip64 block holds it.
uint32_t Field32(uint64_t value, bool escape) { return escape ? 0xFFFFFFFFu : static_cast<uint32_t>(value); }

bool HasNonAscii(const std::string& name) {
  return std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Hands an entry encoded here straight to the writer.
class TDirectSink final : public TEntrySink {
 public:
  TDirectSink(TZipWriter& writer, const TZipEntryInfo& info) : FWriter(writer), FInfo(info) {}
  void Begin(const TEntryHead& head) override { FWriter.BeginEntry(FInfo, head); }
  void Data(const uint8_t* data, size_t count) override { FWriter.WriteEntryData(data, count); }
  void Restart(const TEntryHead& head) override { FWriter.RestartEntry(head); }

 private:
  TZipWriter& FWriter;
  const TZipEntryInfo& FInfo;
};

}  // namespace

TZipWriter::TZipWriter(TStream& archive, std::string password, uint64_t zip64Threshold)
    : FArchive(archive), FBase(archive.Position()), FPassword(std::move(password)), FZip64Threshold(zip64Threshold) {}

TZipWriter::~TZipWriter() = default;

uint64_t TZipWriter::Offset() { return static_cast<uint64_t>(FArchive.Position() - FBase); }

uint16_t TZipWriter::VersionNeeded(const TRecord& record) const {
  return record.Zip64Sizes || record.LocalOffset >= FZip64Threshold ? kVersionZip64 : kVersionBasic;
}

void TZipWriter::AddEntry(const TZipEntryInfo& info, TStream& content) {
  if (!FEncoder) {
    FEncoder = std::make_unique<TEntryEncoder>(FPassword, TEntryEncoder::kDefaultLevel);
  }
  TDirectSink sink(*this, info);
  FEncoder->Encode(info.Name, content, sink, nullptr);
  EndEntry();
}

void TZipWriter::BeginEntry(const TZipEntryInfo& info, const TEntryHead& head) {
  if (FFinished) throw Exception(std::string("The archive is already finished"));
  if (info.Name.empty() || info.Name.size() > 0xFFFF) {
    throw Exception(Format(u"Invalid entry name \"%s\"", {FromUtf8(info.Name)}));
  }
  FEntry = TRecord{};
  FEntry.Name = info.Name;
  FEntry.DosTime = info.DosTime;
  FEntry.DosDate = info.DosDate;
  FEntry.Crc = head.Crc;
  FEntry.Size = static_cast<uint64_t>(head.Size);
  FEntry.LocalOffset = Offset();
  // The local header is written before the data, so whether it needs Zip64
  // sizes is settled now from the largest the data can become: Deflate is
  // kept only when smaller than the content, so the stored size plus the
  // encryption header bounds it.
  FEntry.Zip64Sizes = FEntry.Size + kEncryptionHeaderSize >= FZip64Threshold;
  SetMethod(head);
  WriteLocalHeader(FEntry);
  FDataStart = FArchive.Position();
}

void TZipWriter::SetMethod(const TEntryHead& head) {
  FEntry.Method = head.Method;
  FEntry.Flags = zip::kFlagEncrypted | (HasNonAscii(FEntry.Name) ? zip::kFlagUtf8 : 0) |
                 (head.Method == kZipMethodDeflated ? head.LevelFlags : 0);
}

void TZipWriter::WriteEntryData(const uint8_t* data, size_t count) {
  FArchive.WriteBuffer(data, static_cast<int64_t>(count));
}

void TZipWriter::RestartEntry(const TEntryHead& head) {
  SetMethod(head);
  FArchive.SetPosition(FDataStart);
  FArchive.SetSize(FDataStart);
}

void TZipWriter::EndEntry() {
  const int64_t dataEnd = FArchive.Position();
  FEntry.CompressedSize = static_cast<uint64_t>(dataEnd - FDataStart);
  // Now that the method and the compressed size are known, the local header
  // is written again over its first version; its length has not changed.
  FArchive.SetPosition(FBase + static_cast<int64_t>(FEntry.LocalOffset));
  WriteLocalHeader(FEntry);
  FArchive.SetPosition(dataEnd);
  FRecords.push_back(std::move(FEntry));
  FDataStart = -1;
}

// The fields the local and the central header share, from the version
// needed to extract up to the extra field's length.
void TZipWriter::AppendSharedFields(const TRecord& record, size_t extraLength, TRecordBytes& bytes) const {
  bytes.U16(VersionNeeded(record))
      .U16(record.Flags)
      .U16(record.Method)
      .U16(record.DosTime)
      .U16(record.DosDate)
      .U32(record.Crc)
      .U32(Field32(record.CompressedSize, record.Zip64Sizes))
      .U32(Field32(record.Size, record.Zip64Sizes))
      .U16(record.Name.size())
      .U16(extraLength);
}

void TZipWriter::WriteLocalHeader(const TRecord& record) {
  TRecordBytes extra;
  if (record.Zip64Sizes) {
    // In a local header the Zip64 block carries both sizes, always.
    extra.U16(zip::kExtraZip64).U16(16).U64(record.Size).U64(record.CompressedSize);
  }
  TRecordBytes bytes;
  bytes.U32(zip::kLocalHeaderSignature);
  AppendSharedFields(record, extra.Data().size(), bytes);
  bytes.Text(record.Name).Bytes(extra.Data()).WriteTo(FArchive);
}

void TZipWriter::WriteCentralHeader(const TRecord& record, TRecordBytes& directory) const {
  const bool zip64Offset = record.LocalOffset >= FZip64Threshold;
  TRecordBytes fields;
  if (record.Zip64Sizes) fields.U64(record.Size).U64(record.CompressedSize);
  if (zip64Offset) fields.U64(record.LocalOffset);
  TRecordBytes extra;
  if (!fields.Data().empty()) {
    extra.U16(zip::kExtraZip64).U16(fields.Data().size()).Bytes(fields.Data());
  }
  directory.U32(zip::kDirectoryHeaderSignature).U16(kHostNtfs | VersionNeeded(record));
  AppendSharedFields(record, extra.Data().size(), directory);
  directory
      .U16(0)  // comment length
      .U16(0)  // disk number start
      .U16(0)  // internal attributes
      .U32(0)  // external attributes
      .U32(Field32(record.LocalOffset, zip64Offset))
      .Text(record.Name)
      .Bytes(extra.Data());
}

void TZipWriter::WriteEndRecords(uint64_t directoryOffset, uint64_t directorySize) {
  const uint64_t count = FRecords.size();
  // A classic field holding its all-ones value already means "see the Zip64
  // record", so a count of exactly 0xFFFF needs that record too.
  const bool zip64Count = count >= kMaxCount16;
  const bool zip64Size = directorySize >= FZip64Threshold;
  const bool zip64Offset = directoryOffset >= FZip64Threshold;
  if (zip64Count || zip64Size || zip64Offset) {
    const uint64_t recordOffset = Offset();
    TRecordBytes zip64;
    zip64.U32(zip::kZip64EndSignature)
        .U64(44)  // size of the rest of the record
        .U16(kVersionZip64)
        .U16(kVersionZip64)
        .U32(0)  // this disk
        .U32(0)  // disk of the directory start
        .U64(count)
        .U64(count)
        .U64(directorySize)
        .U64(directoryOffset)
        .U32(zip::kZip64LocatorSignature)
        .U32(0)  // disk of the Zip64 record
        .U64(recordOffset)
        .U32(1)  // total number of disks
        .WriteTo(FArchive);
  }
  const uint64_t count16 = zip64Count ? kMaxCount16 : count;
  TRecordBytes end;
  end.U32(zip::kEndSignature)
      .U16(0)  // this disk
      .U16(0)  // disk of the directory start
      .U16(count16)
      .U16(count16)
      .U32(Field32(directorySize, zip64Size))
      .U32(Field32(directoryOffset, zip64Offset))
      .U16(0)  // comment length
      .WriteTo(FArchive);
}

void TZipWriter::Finish() {
  if (FFinished) return;
  const uint64_t directoryOffset = Offset();
  // Built in memory and written at once: a site of many thousand files would
  // otherwise cost one small write per header.
  TRecordBytes directory;
  for (const TRecord& record : FRecords) WriteCentralHeader(record, directory);
  directory.WriteTo(FArchive);
  WriteEndRecords(directoryOffset, directory.Data().size());
  FFinished = true;
}

}  // namespace lumora
