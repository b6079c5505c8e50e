// A read-only stream over the tail of a file, from a start offset to the
// file's end, seen as a file of its own: position 0 is the start offset. The
// archive of a packaged program is read through it in place, its offsets
// counting from the archive's first byte, without copying it out first.
#pragma once

#include "core/Stream.h"

namespace lumora {

class TFileWindowStream final : public TStream {
 public:
  TFileWindowStream(const String& path, int64_t start);

  int64_t Read(void* buffer, int64_t count) override { return FFile.Read(buffer, count); }
  // Raises EStreamError: the window is read-only.
  int64_t Write(const void* buffer, int64_t count) override;
  // Raises EStreamError for a position before the window's start.
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return FFile.Size() - FStart; }
  void SetSize(int64_t size) override;

 private:
  TFileStream FFile;
  int64_t FStart;
};

}  // namespace lumora
