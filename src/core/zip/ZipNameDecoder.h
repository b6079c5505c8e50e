// Turning a central directory header's raw name bytes into the entry's
// UTF-16 name. ZIP names have no fixed encoding: the UTF-8 flag, the Unicode
// path and UTF-16 name extra blocks, or a guess between the system's OEM and
// ANSI code pages decide it, in that order.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "base/String.h"

namespace lumora {

// The code pages rule 4 chooses between; the system's by default, others
// in tests.
struct TZipCodePages {
  uint32_t AnsiCodePage;
  uint32_t OemCodePage;
  String (*DecodeAnsi)(std::string_view bytes);
  String (*DecodeOem)(std::string_view bytes);

  static TZipCodePages System();
};

class TZipNameDecoder {
 public:
  // The first rule that applies:
  //  1. flag bit 11, or a name that is valid UTF-8 with at least one byte of
  //     0x80 or more: UTF-8;
  //  2. a 0x7075 block (version 1) whose CRC-32 matches the raw name: its
  //     UTF-8 name;
  //  3. a 0x554E block of the right size: its UTF-16 name;
  //  4. 8-bit text in the ANSI code page when it equals the OEM one; else in
  //     the OEM code page when the name was made on MS-DOS (host byte 0), or
  //     when all its high bytes are OEM letters and not all ANSI letters;
  //     else in the ANSI code page.
  static String Decode(std::string_view rawName, uint16_t flags, uint16_t versionMadeBy, std::span<const uint8_t> extra,
                       const TZipCodePages& codePages);

  // Rule 1's test: every byte of 0x80 or more is part of a sequence of a
  // lead byte C2-DF, E0-EF or F0-F4 and one, two or three bytes 80-BF, and
  // at least one such byte is present.
  static bool IsUtf8Name(std::string_view rawName);
};

}  // namespace lumora
