#include "core/pe/PeCheckSum.h"

#include <vector>

#include "base/ByteOrder.h"
#include "base/Stream.h"

namespace lumora {

namespace {

constexpr int64_t kBlockSize = 65536;             // even, so words never straddle blocks
constexpr uint64_t kCheckSumField = 4 + 20 + 64;  // after "PE\0\0", file and optional header

}  // namespace

void TPeCheckSum::Add(std::span<const uint8_t> bytes) {
  for (size_t i = 0; i < bytes.size(); i += 2) {
    const uint64_t at = FOffset + i;
    if (at >= FField && at < FField + 4) continue;
    FSum += bytes[i] | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0);
    FSum = (FSum & 0xFFFF) + (FSum >> 16);
  }
  FOffset += bytes.size();
}

uint32_t TPeCheckSum::Result() const {
  const uint64_t folded = (FSum & 0xFFFF) + (FSum >> 16);
  return static_cast<uint32_t>(folded + FOffset);
}

void TPeCheckSum::Update(TStream& file) {
  const int64_t size = file.Size();
  uint8_t header[4];
  file.SetPosition(0x3C);
  if (size < 0x40 || file.Read(header, 4) != 4) return;
  const uint64_t field = ReadU32(header) + kCheckSumField;
  if (field + 4 > static_cast<uint64_t>(size)) return;
  file.SetPosition(static_cast<int64_t>(field - kCheckSumField));
  if (file.Read(header, 4) != 4 || ReadU32(header) != 0x00004550) return;

  TPeCheckSum sum(field);
  std::vector<uint8_t> block(kBlockSize);
  file.SetPosition(0);
  for (int64_t got; (got = file.Read(block.data(), kBlockSize)) > 0;) {
    sum.Add(std::span<const uint8_t>(block.data(), static_cast<size_t>(got)));
  }
  WriteU32(header, sum.Result());
  file.SetPosition(static_cast<int64_t>(field));
  file.WriteBuffer(header, 4);
}

}  // namespace lumora
