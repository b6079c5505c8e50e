// The package's configuration entry "lm-config": the bytes stored for it and
// the checks the packer makes before it writes a package the runtime could
// not start.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/IniFile.h"
#include "base/String.h"

namespace lumora {

// What the packer found in a configuration: errors stop packing, warnings
// are printed and packing goes on.
struct TConfigFindings {
  std::vector<String> Errors;
  std::vector<String> Warnings;
};

class TSiteConfig {
 public:
  TSiteConfig() = delete;

  // The configuration text as it is stored: UTF-8 after a byte-order mark,
  // so the runtime reads the same characters on every machine. UTF-8 with a
  // mark is kept byte for byte; UTF-16 with a mark is converted; text
  // without a mark is taken as UTF-8 when it is valid UTF-8 and otherwise
  // in the ANSI code page, the way the runtime would have read it.
  static std::string EntryBytes(std::string_view fileBytes);

  // Whether the file is UTF-16 without a byte-order mark, which the runtime
  // would read as 8-bit text ending at the first NUL: next to nothing.
  static bool IsUtf16WithoutMark(std::string_view fileBytes);

  // What the runtime would silently ignore. Warnings: a missing [Lumora]
  // section, keys it does not know, and number or flag keys whose value is
  // not a number (they fall back to their defaults). Errors: an unknown key
  // a slip away from a known one ("AppPasword"), so that a mistyped
  // password never drops out unnoticed; allowUnknownKeys makes it a warning.
  static TConfigFindings Check(const TMemIniFile& config, bool allowUnknownKeys = false);

  // The entry the runtime's first request asks for: IndexPage after the
  // cleaning every request gets (URL decoding, outer slashes and any query
  // removed). Empty when there is no start page at all.
  static String StartEntryName(const TMemIniFile& config);
  // The same for an IndexPage value.
  static String StartEntryName(StringView indexPage);
};

}  // namespace lumora
