#include "base/Stream.h"

#include <algorithm>
#include <cstring>

#include "base/Exception.h"

namespace lumora {

void TStream::ReadBuffer(void* buffer, int64_t count) {
  auto* out = static_cast<uint8_t*>(buffer);
  while (count > 0) {
    const int64_t got = Read(out, count);
    if (got <= 0) throw EStreamError(std::string("Stream read error"));
    out += got;
    count -= got;
  }
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
  if (count > 0 && Write(buffer, count) != count) {
    throw EStreamError(std::string("Stream write error"));
  }
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
  const int64_t available = Size() - FPosition;
  const int64_t n = std::clamp<int64_t>(count, 0, std::max<int64_t>(available, 0));
  if (n > 0) std::memcpy(buffer, FData.data() + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  const auto end = static_cast<size_t>(FPosition + count);
  if (end > FData.size()) FData.resize(end);
  std::memcpy(FData.data() + FPosition, buffer, static_cast<size_t>(count));
  FPosition += count;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = 0;
  if (origin == TSeekOrigin::Current) base = FPosition;
  if (origin == TSeekOrigin::End) base = Size();
  FPosition = std::max<int64_t>(0, base + offset);
  return FPosition;
}

void TMemoryStream::SetSize(int64_t size) {
  FData.resize(static_cast<size_t>(std::max<int64_t>(size, 0)));
  FPosition = std::min(FPosition, Size());
}

void TMemoryStream::Clear() {
  FData.clear();
  FData.shrink_to_fit();
  FPosition = 0;
}

}  // namespace lumora
