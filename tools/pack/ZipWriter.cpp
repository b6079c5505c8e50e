#include "pack/ZipWriter.h"

#include <zlib.h>

#include <algorithm>

#include "core/Exception.h"
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
  void WriteTo(TStream& stream) const {
    stream.WriteBuffer(FBytes.data(), static_cast<int64_t>(FBytes.size()));
  }
  const std::vector<uint8_t>& Data() const { return FBytes; }

 private:
  TRecordBytes& Put(uint64_t value, int count) {
    for (int i = 0; i < count; ++i) FBytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    return *this;
  }
  std::vector<uint8_t> FBytes;
};

namespace {

constexpr uint16_t kFlagMaximumCompression = 0x0002;  // Deflate at level 9

constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;

// Version 2.0 covers Deflate and the PKWARE cipher, 4.5 adds Zip64.
constexpr uint16_t kVersionBasic = 20;
constexpr uint16_t kVersionZip64 = 45;
// The high byte of "version made by": the host whose file attributes the
// entry carries. No attributes are stored, but the host cannot be MS-DOS (0):
// Info-ZIP's unzip translates names from an MS-DOS host out of an OEM code
// page even when they are flagged as UTF-8. NTFS (11) is read as it stands.
constexpr uint16_t kHostNtfs = 11 << 8;

constexpr size_t kEncryptionHeaderSize = TPkwareKeys::kHeaderSize;
constexpr size_t kBufferSize = 64 * 1024;
constexpr uint16_t kMaxCount16 = 0xFFFF;

// A classic 32-bit field: the value, or all ones when a Zip64 block holds it.
uint32_t Field32(uint64_t value, bool escape) {
  return escape ? 0xFFFFFFFFu : static_cast<uint32_t>(value);
}

bool HasNonAscii(const std::string& name) {
  return std::any_of(name.begin(), name.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

[[noreturn]] void RaiseChanged(const std::string& name) {
  throw Exception(Format(u"\"%s\" changed while it was being packed", {FromUtf8(name)}));
}

// Reads an entry's content from its start in blocks, checking at the end that
// it is still the content the first pass measured.
class TContentPass {
 public:
  TContentPass(TStream& content, std::vector<uint8_t>& buffer, const std::string& name,
               const std::function<void(int64_t)>& onRead)
      : FContent(content), FBuffer(buffer), FName(name), FOnRead(onRead) {
    FContent.SetPosition(0);
  }

  // The next block, or 0 bytes at the end.
  size_t Next() {
    const int64_t got = FContent.Read(FBuffer.data(), static_cast<int64_t>(FBuffer.size()));
    if (got <= 0) return 0;
    const auto count = static_cast<size_t>(got);
    FCrc = static_cast<uint32_t>(crc32(FCrc, FBuffer.data(), static_cast<uInt>(count)));
    FAdler = static_cast<uint32_t>(adler32(FAdler, FBuffer.data(), static_cast<uInt>(count)));
    FSize += got;
    if (FOnRead) FOnRead(got);
    return count;
  }

  int64_t Size() const { return FSize; }
  uint32_t Crc() const { return FCrc; }
  uint32_t Adler() const { return FAdler; }

  void ExpectSame(int64_t size, uint32_t crc) const {
    if (FSize != size || FCrc != crc) RaiseChanged(FName);
  }

 private:
  TStream& FContent;
  std::vector<uint8_t>& FBuffer;
  const std::string& FName;
  const std::function<void(int64_t)>& FOnRead;
  int64_t FSize = 0;
  uint32_t FCrc = static_cast<uint32_t>(crc32(0, nullptr, 0));
  uint32_t FAdler = static_cast<uint32_t>(adler32(0, nullptr, 0));
};

}  // namespace

TZipWriter::TZipWriter(TStream& archive, std::string password, uint64_t zip64Threshold)
    : FArchive(archive),
      FBase(archive.Position()),
      FPassword(std::move(password)),
      FZip64Threshold(zip64Threshold),
      FBuffer(kBufferSize) {}

uint64_t TZipWriter::Offset() { return static_cast<uint64_t>(FArchive.Position() - FBase); }

uint16_t TZipWriter::VersionNeeded(const TRecord& record) const {
  return record.Zip64Sizes || record.LocalOffset >= FZip64Threshold ? kVersionZip64 : kVersionBasic;
}

TZipWriter::TDigest TZipWriter::DigestContent(TStream& content, const std::string& name) {
  TContentPass pass(content, FBuffer, name, OnContentRead);
  while (pass.Next() > 0) {
  }
  return TDigest{pass.Size(), pass.Crc(), pass.Adler()};
}

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
std::vector<uint8_t> TZipWriter::EncryptionHeader(const std::string& name,
                                                  const TDigest& digest) const {
  uint64_t hash = 0xCBF29CE484222325ull;
  const auto mix = [&hash](uint8_t byte) {
    hash ^= byte;
    hash *= 0x100000001B3ull;
  };
  for (const char c : name) mix(static_cast<uint8_t>(c));
  mix(0);
  for (int i = 0; i < 8; ++i)
    mix(static_cast<uint8_t>(static_cast<uint64_t>(digest.Size) >> (8 * i)));
  for (int i = 0; i < 4; ++i) mix(static_cast<uint8_t>(digest.Crc >> (8 * i)));
  for (int i = 0; i < 4; ++i) mix(static_cast<uint8_t>(digest.Adler >> (8 * i)));

  std::vector<uint8_t> header(kEncryptionHeaderSize);
  uint64_t state = hash;
  for (size_t i = 0; i + 1 < header.size(); ++i) {
    state += 0x9E3779B97F4A7C15ull;
    uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    header[i] = static_cast<uint8_t>(z ^ (z >> 31));
  }
  header.back() = static_cast<uint8_t>(digest.Crc >> 24);
  return header;
}

TPkwareKeys TZipWriter::StartEncryption(const std::string& name, const TDigest& digest) {
  TPkwareKeys cipher(FPassword);
  std::vector<uint8_t> header = EncryptionHeader(name, digest);
  cipher.Encrypt(header.data(), header.size());
  FArchive.WriteBuffer(header.data(), static_cast<int64_t>(header.size()));
  return cipher;
}

void TZipWriter::AddEntry(const TZipEntryInfo& info, TStream& content) {
  if (FFinished) throw Exception(std::string("The archive is already finished"));
  if (info.Name.empty() || info.Name.size() > 0xFFFF) {
    throw Exception(Format(u"Invalid entry name \"%s\"", {FromUtf8(info.Name)}));
  }
  const TDigest digest = DigestContent(content, info.Name);

  TRecord record;
  record.Name = info.Name;
  record.Flags = zip::kFlagEncrypted | (HasNonAscii(info.Name) ? zip::kFlagUtf8 : 0);
  record.DosTime = info.DosTime;
  record.DosDate = info.DosDate;
  record.Crc = digest.Crc;
  record.Size = static_cast<uint64_t>(digest.Size);
  record.LocalOffset = Offset();
  // The local header is written before the data, so whether it needs Zip64
  // sizes is settled now from the largest the data can become: Deflate is
  // kept only when smaller than the content, so the stored size plus the
  // encryption header bounds it.
  record.Zip64Sizes = record.Size + kEncryptionHeaderSize >= FZip64Threshold;
  record.Method = digest.Size > 0 ? kMethodDeflated : kMethodStored;
  if (record.Method == kMethodDeflated) record.Flags |= kFlagMaximumCompression;

  WriteLocalHeader(record);
  const int64_t dataStart = FArchive.Position();
  if (record.Method == kMethodDeflated && !WriteDeflated(record, content, digest)) {
    record.Method = kMethodStored;
    record.Flags &= static_cast<uint16_t>(~kFlagMaximumCompression);
    FArchive.SetPosition(dataStart);
  }
  if (record.Method == kMethodStored) {
    WriteStored(record, content, digest);
    // Drops the tail of an abandoned Deflate attempt.
    FArchive.SetSize(FArchive.Position());
  }
  const int64_t dataEnd = FArchive.Position();
  record.CompressedSize = static_cast<uint64_t>(dataEnd - dataStart);

  // Now that the method and the compressed size are known, the local header
  // is written again over its first version; its length has not changed.
  FArchive.SetPosition(FBase + static_cast<int64_t>(record.LocalOffset));
  WriteLocalHeader(record);
  FArchive.SetPosition(dataEnd);
  FRecords.push_back(std::move(record));
}

bool TZipWriter::WriteDeflated(TRecord& record, TStream& content, const TDigest& digest) {
  TPkwareKeys cipher = StartEncryption(record.Name, digest);

  // Compression gives up as soon as its output reaches the content's size:
  // from there on storing is as small or smaller.
  uint64_t compressed = 0;
  const TDeflater::TSink sink = [&](uint8_t* data, size_t count) {
    compressed += count;
    if (compressed >= record.Size) return false;
    cipher.Encrypt(data, count);
    FArchive.WriteBuffer(data, static_cast<int64_t>(count));
    return true;
  };
  FDeflater.Reset();
  TContentPass pass(content, FBuffer, record.Name, OnContentRead);
  for (;;) {
    const size_t count = pass.Next();
    if (!FDeflater.Compress(FBuffer.data(), count, count == 0, sink)) return false;
    if (count == 0) break;
  }
  pass.ExpectSame(digest.Size, digest.Crc);
  return true;
}

void TZipWriter::WriteStored(TRecord& record, TStream& content, const TDigest& digest) {
  TPkwareKeys cipher = StartEncryption(record.Name, digest);

  TContentPass pass(content, FBuffer, record.Name, OnContentRead);
  for (size_t count = pass.Next(); count > 0; count = pass.Next()) {
    cipher.Encrypt(FBuffer.data(), count);
    FArchive.WriteBuffer(FBuffer.data(), static_cast<int64_t>(count));
  }
  pass.ExpectSame(digest.Size, digest.Crc);
}

// The fields the local and the central header share, from the version
// needed to extract up to the extra field's length.
void TZipWriter::AppendSharedFields(const TRecord& record, size_t extraLength,
                                    TRecordBytes& bytes) const {
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
