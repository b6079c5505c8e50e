#include "os/IconFile.h"

#include <algorithm>

#include "base/ByteOrder.h"
#include "base/ResourceUpdateError.h"
#include "base/Stream.h"
#include "os/File.h"

namespace lumora {

namespace {

uint16_t ImageCount(const std::vector<uint8_t>& bytes) { return ReadU16(bytes.data() + 4); }

const uint8_t* Entry(const std::vector<uint8_t>& bytes, size_t j) {
  return bytes.data() + TIconFile::kHeaderSize + TIconFile::kEntrySize * j;
}

}  // namespace

std::vector<uint8_t> TIconFile::Load(const String& path) {
  std::vector<uint8_t> bytes;
  {
    TFileStream file(path, TFileAccess::Read, TFileShare::Read, TFileCreation::OpenExisting);
    const int64_t size = file.Size();
    if (size > kMaxSize) throw EResourceUpdateError(u"Icon file is too large");
    bytes.resize(static_cast<size_t>(size));
    file.ReadBuffer(bytes.data(), size);
  }
  if (!IsValid(bytes)) throw EResourceUpdateError(u"Icon file is invalid");
  return bytes;
}

bool TIconFile::IsValid(const std::vector<uint8_t>& bytes) {
  const uint64_t size = bytes.size();
  if (size < kHeaderSize) return false;
  // An executable is not an icon: refused when it starts "MZ", and when its
  // first two 16-bit values are the letters' codes (the test as it was
  // first written, which an "MZ" file itself never matched).
  if (bytes[0] == 'M' && bytes[1] == 'Z') return false;
  if (ReadU16(bytes.data()) == 0x004D && ReadU16(bytes.data() + 2) == 0x005A) return false;
  const uint16_t count = ImageCount(bytes);
  if (kHeaderSize + kEntrySize * count > size) return false;
  for (const TIconImage& image : Images(bytes)) {
    const uint32_t end = image.Offset + image.Size;
    if (end < image.Offset || end > size) return false;
  }
  return true;
}

std::vector<TIconImage> TIconFile::Images(const std::vector<uint8_t>& bytes) {
  std::vector<TIconImage> images(ImageCount(bytes));
  for (size_t j = 0; j < images.size(); ++j) {
    images[j].Size = ReadU32(Entry(bytes, j) + 8);
    images[j].Offset = ReadU32(Entry(bytes, j) + 12);
  }
  return images;
}

std::vector<uint8_t> TIconFile::GroupDirectory(const std::vector<uint8_t>& bytes, uint16_t reserved, uint16_t type) {
  const uint16_t count = ImageCount(bytes);
  std::vector<uint8_t> group(kHeaderSize + kGroupEntrySize * count);
  auto putWord = [&group](size_t at, uint16_t value) {
    group[at] = static_cast<uint8_t>(value & 0xFF);
    group[at + 1] = static_cast<uint8_t>(value >> 8);
  };
  putWord(0, reserved);
  putWord(2, type);
  putWord(4, count);
  for (uint16_t j = 0; j < count; ++j) {
    const size_t at = kHeaderSize + kGroupEntrySize * j;
    std::copy_n(Entry(bytes, j), 12, group.begin() + static_cast<std::ptrdiff_t>(at));
    putWord(at + 12, static_cast<uint16_t>(j + 1));
  }
  return group;
}

TIconGroupInfo TIconFile::ReadGroup(const uint8_t* data, size_t size) {
  TIconGroupInfo info;
  if (data == nullptr || size < kHeaderSize) return info;
  info.Reserved = ReadU16(data);
  info.Type = ReadU16(data + 2);
  const size_t count = ReadU16(data + 4);
  for (size_t j = 0; j < count && kHeaderSize + kGroupEntrySize * (j + 1) <= size; ++j) {
    info.ImageIds.push_back(ReadU16(data + kHeaderSize + kGroupEntrySize * j + 12));
  }
  return info;
}

}  // namespace lumora
