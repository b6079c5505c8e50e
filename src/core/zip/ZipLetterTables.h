// Which bytes 0x80-0xFF are letters, in an OEM code page and in the ANSI code
// page that goes with it. The name decoder uses them to guess whether an
// 8-bit entry name was written in the OEM or the ANSI code page: a name made
// only of OEM letters that are not all ANSI letters was most likely written
// by a DOS-style tool.
#pragma once

#include <cstdint>

namespace lumora {

struct TZipLetterTable {
  uint16_t OemCodePage;
  uint16_t AnsiCodePage;
  // Bit (b - 0x80) of the 128-bit set is 1 when byte b is a letter.
  uint32_t OemLetters[4];
  uint32_t AnsiLetters[4];

  bool IsOemLetter(uint8_t byte) const { return Has(OemLetters, byte); }
  bool IsAnsiLetter(uint8_t byte) const { return Has(AnsiLetters, byte); }

  // The table of an OEM code page, or nullptr for one without a table.
  static const TZipLetterTable* Find(uint32_t oemCodePage);

 private:
  static bool Has(const uint32_t (&set)[4], uint8_t byte) {
    const unsigned bit = byte - 0x80u;
    return byte >= 0x80 && ((set[bit / 32] >> (bit % 32)) & 1u) != 0;
  }
};

}  // namespace lumora
