// Icon (.ico) files and the group directory through which an executable
// lists the images of one icon. Both formats are little-endian.
#pragma once

#include <cstdint>
#include <vector>

#include "base/String.h"

namespace lumora {

// Where one image's bytes lie in the icon file.
struct TIconImage {
  uint32_t Offset = 0;
  uint32_t Size = 0;
};

// What an icon group resource already in an executable says of itself.
struct TIconGroupInfo {
  uint16_t Reserved = 0;
  uint16_t Type = 0;
  // The identifiers of its images' icon resources, in the group's order.
  std::vector<uint16_t> ImageIds;
};

class TIconFile {
 public:
  TIconFile() = delete;

  // The icon file is read into memory whole, so its size is capped.
  static constexpr int64_t kMaxSize = 1048576;
  static constexpr size_t kHeaderSize = 6;
  static constexpr size_t kEntrySize = 16;
  static constexpr size_t kGroupEntrySize = 14;

  // Reads the icon file at path (other readers allowed) and checks it.
  // Raises EResourceUpdateError "Icon file is too large" beyond kMaxSize
  // bytes and "Icon file is invalid" when IsValid fails; an unreadable
  // file raises EFOpenError or EStreamError.
  static std::vector<uint8_t> Load(const String& path);

  // True when the header and every entry's image lie inside the bytes. An
  // executable file (starting "MZ") is refused outright; no images is valid.
  static bool IsValid(const std::vector<uint8_t>& bytes);

  // The images of a valid icon file, in the file's order.
  static std::vector<TIconImage> Images(const std::vector<uint8_t>& bytes);

  // The group directory for a valid icon file: the given reserved and type
  // fields, the image count, then for image j the first 12 bytes of its
  // file entry and the resource identifier j + 1.
  static std::vector<uint8_t> GroupDirectory(const std::vector<uint8_t>& bytes, uint16_t reserved, uint16_t type);

  // Reads a group directory found in an executable. Only entries that lie
  // within size are reported, so a damaged group claiming more images than
  // it holds is never read past its end; a group shorter than its header
  // gives zeros and no images.
  static TIconGroupInfo ReadGroup(const uint8_t* data, size_t size);
};

}  // namespace lumora
