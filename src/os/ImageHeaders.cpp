#include "os/ImageHeaders.h"

#include <algorithm>
#include <cstring>

#include "base/Stream.h"
#include "os/File.h"

namespace lumora {

namespace {

// Little-endian fields, read byte by byte so the host's order never matters.
template <typename T>
bool ReadLe(const THeaderReader& read, uint64_t offset, T& value) {
  uint8_t bytes[sizeof(T)];
  if (!read(offset, bytes, sizeof(T))) return false;
  uint64_t v = 0;
  for (size_t i = sizeof(T); i-- > 0;) v = (v << 8) | bytes[i];
  value = static_cast<T>(v);
  return true;
}

// Header tables larger than this are not real images; refusing them keeps a
// forged count from making us read millions of entries.
constexpr uint32_t kMaxTableEntries = 65535;

// Where the file header of a PE image starts (after "PE\0\0"); -1 when the
// bytes are not a PE image.
int64_t PeFileHeader(const THeaderReader& read) {
  uint16_t mz = 0;
  uint32_t peOffset = 0;
  uint32_t signature = 0;
  if (!ReadLe(read, 0, mz) || mz != 0x5A4D || !ReadLe(read, 0x3C, peOffset) || !ReadLe(read, peOffset, signature) ||
      signature != 0x00004550) {
    return -1;
  }
  return int64_t{peOffset} + 4;
}

}  // namespace

int32_t PeMachine(const THeaderReader& read) {
  const int64_t fileHeader = PeFileHeader(read);
  uint16_t machine = 0;
  if (fileHeader < 0 || !ReadLe(read, static_cast<uint64_t>(fileHeader), machine)) return -1;
  return machine;
}

int64_t PeImageEnd(const THeaderReader& read) {
  const int64_t header = PeFileHeader(read);
  if (header < 0) return -1;
  const auto fileHeader = static_cast<uint64_t>(header);
  uint16_t sectionCount = 0;
  uint16_t optionalHeaderSize = 0;
  if (!ReadLe(read, fileHeader + 2, sectionCount) || !ReadLe(read, fileHeader + 16, optionalHeaderSize)) {
    return -1;
  }
  const uint64_t table = fileHeader + 20 + optionalHeaderSize;
  uint32_t end = 0;
  for (uint16_t i = 0; i < sectionCount; ++i) {
    uint32_t rawSize = 0;
    uint32_t rawPointer = 0;
    if (!ReadLe(read, table + 40ull * i + 16, rawSize) || !ReadLe(read, table + 40ull * i + 20, rawPointer)) {
      return -1;
    }
    // An unsigned 32-bit sum, as the loader's own fields are.
    end = std::max(end, static_cast<uint32_t>(rawPointer + rawSize));
  }
  return end;
}

int64_t PeCertificateTableStart(const THeaderReader& read) {
  constexpr uint32_t kSecurityEntry = 4;
  const int64_t header = PeFileHeader(read);
  if (header < 0) return -1;
  const auto fileHeader = static_cast<uint64_t>(header);
  const uint64_t optional = fileHeader + 20;
  uint16_t optionalSize = 0;
  uint16_t magic = 0;
  if (!ReadLe(read, fileHeader + 16, optionalSize) || !ReadLe(read, optional, magic)) return -1;
  const uint64_t countField = magic == 0x10B ? 92 : magic == 0x20B ? 108 : 0;
  const uint64_t entry = countField + 4 + 8ull * kSecurityEntry;
  uint32_t count = 0;
  uint32_t offset = 0;
  uint32_t size = 0;
  if (countField == 0 || entry + 8 > optionalSize || !ReadLe(read, optional + countField, count) ||
      count <= kSecurityEntry || !ReadLe(read, optional + entry, offset) || !ReadLe(read, optional + entry + 4, size)) {
    return -1;
  }
  return offset != 0 && size != 0 ? int64_t{offset} : int64_t{-1};
}

int64_t ElfImageEnd(const THeaderReader& read) {
  uint8_t ident[16];
  if (!read(0, ident, sizeof ident) || std::memcmp(ident,
                                                   "\x7F"
                                                   "ELF",
                                                   4) != 0)
    return -1;
  const bool is64 = ident[4] == 2;
  if ((ident[4] != 1 && !is64) || ident[5] != 1) return -1;  // little-endian only

  uint64_t phoff = 0, shoff = 0;
  uint16_t ehsize = 0, phentsize = 0, phnum = 0, shentsize = 0, shnum = 0;
  bool ok = true;
  if (is64) {
    ok = ReadLe(read, 32, phoff) && ReadLe(read, 40, shoff);
  } else {
    uint32_t ph32 = 0, sh32 = 0;
    ok = ReadLe(read, 28, ph32) && ReadLe(read, 32, sh32);
    phoff = ph32;
    shoff = sh32;
  }
  const uint64_t sizes = is64 ? 52 : 40;
  ok = ok && ReadLe(read, sizes, ehsize) && ReadLe(read, sizes + 2, phentsize) && ReadLe(read, sizes + 4, phnum) &&
       ReadLe(read, sizes + 6, shentsize) && ReadLe(read, sizes + 8, shnum);
  if (!ok || phnum > kMaxTableEntries || shnum > kMaxTableEntries) return -1;

  uint64_t end = ehsize;
  if (phnum) end = std::max(end, phoff + uint64_t{phentsize} * phnum);
  if (shnum) end = std::max(end, shoff + uint64_t{shentsize} * shnum);
  for (uint16_t i = 0; i < phnum; ++i) {
    const uint64_t entry = phoff + uint64_t{phentsize} * i;
    uint64_t offset = 0, fileSize = 0;
    if (is64) {
      ok = ReadLe(read, entry + 8, offset) && ReadLe(read, entry + 32, fileSize);
    } else {
      uint32_t o = 0, s = 0;
      ok = ReadLe(read, entry + 4, o) && ReadLe(read, entry + 16, s);
      offset = o;
      fileSize = s;
    }
    if (!ok) return -1;
    end = std::max(end, offset + fileSize);
  }
  for (uint16_t i = 0; i < shnum; ++i) {
    const uint64_t entry = shoff + uint64_t{shentsize} * i;
    constexpr uint32_t kNoBits = 8;  // SHT_NOBITS: takes no room in the file
    uint32_t type = 0;
    uint64_t offset = 0, size = 0;
    if (is64) {
      ok = ReadLe(read, entry + 4, type) && ReadLe(read, entry + 24, offset) && ReadLe(read, entry + 32, size);
    } else {
      uint32_t o = 0, s = 0;
      ok = ReadLe(read, entry + 4, type) && ReadLe(read, entry + 16, o) && ReadLe(read, entry + 20, s);
      offset = o;
      size = s;
    }
    if (!ok) return -1;
    if (type != kNoBits) end = std::max(end, offset + size);
  }
  return end > static_cast<uint64_t>(INT64_MAX) ? -1 : static_cast<int64_t>(end);
}

namespace {

THeaderReader FileReader(TFileHandle& file) {
  return [&file](uint64_t offset, void* out, size_t count) {
    if (offset > static_cast<uint64_t>(INT64_MAX) || file.Seek(static_cast<int64_t>(offset), 0) < 0) {
      return false;
    }
    return file.Read(out, static_cast<int64_t>(count)) == static_cast<int64_t>(count);
  };
}

TFileHandle OpenForHeaders(const String& path) {
  return TFileHandle::Open(path, TFileAccess::Read, TFileShare::ReadWrite, TFileCreation::OpenExisting);
}

}  // namespace

int64_t ImageEndOfFile(const String& path) {
  TFileHandle file = OpenForHeaders(path);
  if (!file.IsOpen()) return -1;
  const THeaderReader read = FileReader(file);
  const int64_t pe = PeImageEnd(read);
  return pe >= 0 ? pe : ElfImageEnd(read);
}

int32_t PeMachineOfFile(const String& path) {
  TFileHandle file = OpenForHeaders(path);
  return file.IsOpen() ? PeMachine(FileReader(file)) : -1;
}

int64_t AppendedDataEnd(const String& path, int64_t imageEnd) {
  TFileHandle file = OpenForHeaders(path);
  if (!file.IsOpen()) return -1;
  const int64_t size = file.Size();
  const int64_t table = PeCertificateTableStart(FileReader(file));
  return table >= imageEnd && table <= size ? table : size;
}

}  // namespace lumora
