// The resources of a Windows program as a flat list of (type, name,
// language) entries with their bytes: read from the three-level resource
// directory of an image, changed, and written back as a new directory.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "base/String.h"

namespace lumora {

class TPeImage;

// A resource type or name: a 16-bit identifier or a string.
struct TResourceKey {
  bool IsString = false;
  uint16_t Id = 0;
  String Text;

  static TResourceKey FromId(uint16_t id) { return {false, id, {}}; }
  static TResourceKey FromText(StringView text) { return {true, 0, String(text)}; }
  bool operator==(const TResourceKey&) const = default;
};

struct TResource {
  TResourceKey Type;
  TResourceKey Name;
  uint16_t Language = 0;
  uint32_t CodePage = 0;
  std::vector<uint8_t> Data;
};

class TPeResources {
 public:
  static constexpr uint16_t kIcon = 3;
  static constexpr uint16_t kGroupIcon = 14;
  static constexpr uint16_t kVersion = 16;

  TPeResources() = default;

  // Reads the image's resource directory. Raises EPeResourceError for
  // offsets past the section, directories that loop or nest deeper than
  // three levels, and data that lies outside the image; an image without
  // resources gives an empty list.
  static TPeResources Read(const TPeImage& image);

  // The directory, strings and data laid out for a section at rva.
  std::vector<uint8_t> Build(uint32_t rva) const;

  const std::vector<TResource>& Items() const { return FItems; }

  // The first resource of that type and name, in directory order (the
  // lowest language first), or nullptr.
  const TResource* Find(const TResourceKey& type, const TResourceKey& name) const;
  // Whether any resource has that type.
  bool HasType(const TResourceKey& type) const;
  void Remove(const TResourceKey& type, const TResourceKey& name, uint16_t language);
  // Adds the resource, or replaces the data of the one with the same type,
  // name and language.
  void Set(const TResourceKey& type, const TResourceKey& name, uint16_t language, std::vector<uint8_t> data);

 private:
  std::vector<TResource> FItems;
};

}  // namespace lumora
