// A read-only stream over part of a file, from a start offset to an end
// offset (the file's end, or where a signature starts), seen as a file of
// its own: position 0 is the start offset. The
// archive of a packaged program is read through it in place, its offsets
// counting from the archive's first byte, without copying it out first.
#pragma once

#include "base/Stream.h"
#include "os/File.h"

namespace lumora {

class TFileWindowStream final : public TStream {
 public:
  // An end of -1 is the file's end.
  TFileWindowStream(const String& path, int64_t start, int64_t end = -1);

  // Reads stop at the window's end.
  int64_t Read(void* buffer, int64_t count) override;
  // Raises EStreamError: the window is read-only.
  int64_t Write(const void* buffer, int64_t count) override;
  // Raises EStreamError for a position before the window's start.
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return FEnd - FStart; }
  void SetSize(int64_t size) override;

 private:
  TFileStream FFile;
  int64_t FStart;
  int64_t FEnd;
};

}  // namespace lumora
