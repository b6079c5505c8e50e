// A version resource (VS_VERSIONINFO): a tree of blocks, each a key, a
// value (text or bytes) and children, read and written back with the
// format's 32-bit alignment. The fixed part at the root carries the
// numeric versions; the string tables carry the texts Windows shows as a
// program's properties.
#pragma once

#include <cstdint>
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "base/String.h"

namespace lumora {

struct TVersionBlock {
  String Key;
  bool IsText = false;
  std::vector<uint8_t> Value;
  std::vector<TVersionBlock> Children;
};

class TVersionInfo {
 public:
  // The strings a packer may set, in the order they are documented.
  static const std::vector<String>& SettableNames();

  // A version resource with a zeroed fixed part and no strings.
  TVersionInfo();
  // Raises EVersionInfoError for blocks that overrun their parent, nest
  // without end or carry no key.
  static TVersionInfo Parse(const std::vector<uint8_t>& data);
  std::vector<uint8_t> Build() const;

  // Sets the string in every string table (one for U.S. English, Unicode,
  // is made when there is none). "FileVersion" and "ProductVersion" given
  // as one to four dot-separated numbers also set the fixed part's version.
  void SetString(const String& name, const String& value);
  // The string from the first string table that has it.
  std::optional<String> GetString(const String& name) const;

 private:
  TVersionBlock FRoot;
};

// Splits "1.2.3" into {1, 2, 3, 0}; nothing when it is not one to four
// numbers of at most 65535.
std::optional<std::array<uint16_t, 4>> ParseVersionNumbers(StringView text);

}  // namespace lumora
