#include "core/zip/ZipLetterTables.h"

namespace lumora {

namespace {

// Derived from each code page's mapping to Unicode: a byte is a letter when
// its character's general category is a letter category (Lu, Ll, Lt, Lm,
// Lo). The ANSI page is the one Windows pairs with the OEM page.
constexpr TZipLetterTable kTables[] = {
    {437, 1252, {0x87FFFFFF, 0x000000FF, 0x00000000, 0x10006FFF}, {0xD4005508, 0x04200400, 0xFF7FFFFF, 0xFF7FFFFF}},
    {720, 1256, {0xEFE81FAC, 0x00003FFF, 0x00000000, 0x1000FFFF}, {0x9501F50A, 0x00200400, 0xFF7FFFFF, 0x9A10FFFF}},
    {737, 1253, {0xFFFFFFFF, 0x0000FFFF, 0x00000000, 0x1031FFFF}, {0x00000008, 0xD7200004, 0xFFFBFFFF, 0x7FFFFFFF}},
    {775, 1257, {0x2FBFFFFF, 0x61E0203F, 0x01FF80C0, 0x00007FFF}, {0x00004000, 0x85208500, 0xFF7FFFFF, 0x7F7FFFFF}},
    {850, 1252, {0xAFFFFFFF, 0x00E000FF, 0x41FF00C0, 0x00003FFF}, {0xD4005508, 0x04200400, 0xFF7FFFFF, 0xFF7FFFFF}},
    {852, 1250, {0xBFFFFFFF, 0x61E03BFF, 0x61FF00C0, 0x38087FFF}, {0xF400F400, 0xD628842A, 0xFF7FFFFF, 0x7F7FFFFF}},
    {855, 1251, {0xFFFFFFFF, 0x61E03FFF, 0x61FF00C0, 0x1FFE7FFF}, {0xF401F40B, 0xF53C852E, 0xFFFFFFFF, 0xFFFFFFFF}},
    {857, 1254, {0xEFFFFFFF, 0x00E000FF, 0x41DF00C0, 0x00003E7F}, {0x94001508, 0x04200400, 0xFF7FFFFF, 0xFF7FFFFF}},
    {862, 1255, {0x87FFFFFF, 0x000000FF, 0x00000000, 0x10006FFF}, {0x00000108, 0x00200000, 0x00700000, 0x07FFFFFF}},
    {866, 1251, {0xFFFFFFFF, 0x0000FFFF, 0x00000000, 0x00FFFFFF}, {0xF401F40B, 0xF53C852E, 0xFFFFFFFF, 0xFFFFFFFF}},
};

}  // namespace

const TZipLetterTable* TZipLetterTable::Find(uint32_t oemCodePage) {
  for (const auto& table : kTables) {
    if (table.OemCodePage == oemCodePage) return &table;
  }
  return nullptr;
}

}  // namespace lumora
