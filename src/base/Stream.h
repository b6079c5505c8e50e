// Byte streams: the memory stream that carries archive entries between the
// reader, the request handler and the host services. The file stream over
// a platform file handle is the OS layer's (os/File.h).
#pragma once

#include <cstdint>
#include <vector>

#include "base/String.h"

namespace lumora {

enum class TSeekOrigin { Beginning, Current, End };

class TStream {
 public:
  virtual ~TStream() = default;
  // Reads up to count bytes; returns how many were read (0 at the end).
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  // Writes count bytes; returns how many were written.
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual int64_t Size() = 0;
  virtual void SetSize(int64_t size) = 0;

  int64_t Position() { return Seek(0, TSeekOrigin::Current); }
  void SetPosition(int64_t position) { Seek(position, TSeekOrigin::Beginning); }
  // Reads or writes exactly count bytes, or raises EStreamError.
  void ReadBuffer(void* buffer, int64_t count);
  void WriteBuffer(const void* buffer, int64_t count);
};

class TMemoryStream final : public TStream {
 public:
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(FData.size()); }
  void SetSize(int64_t size) override;

  void Clear();
  const uint8_t* Memory() const { return FData.data(); }
  const std::vector<uint8_t>& Bytes() const { return FData; }
  std::vector<uint8_t>& Bytes() { return FData; }

 private:
  std::vector<uint8_t> FData;
  int64_t FPosition = 0;
};

}  // namespace lumora
