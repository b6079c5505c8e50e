// Encodes the entries of an archive on several threads at once and hands
// them to one TZipWriter in their given order. Every entry's bytes depend
// only on its own content (see TEntryEncoder), so the archive is byte for
// byte the one a single thread writes, whatever the number of threads.
//
// Memory stays bounded however large the site: each thread encodes one
// entry at a time, and encoded bytes wait for the writer only up to a
// budget. A thread whose entry is not the one being written waits while the
// budget is spent; the thread encoding the entry being written may queue up
// to one budget more, so the writer always has something to write.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Stream.h"
#include "pack/ZipWriter.h"

namespace lumora {

struct TPipelineEntry {
  TZipEntryInfo Info;
  // Opens the entry's content; called on the thread that encodes it.
  std::function<std::unique_ptr<TStream>()> Open;
};

struct TPipelineOptions {
  int Level = TEntryEncoder::kDefaultLevel;
  // Encoding threads; 0 for one per processor.
  int Jobs = 0;
  // Encoded bytes per thread that may wait for the writer.
  int64_t BudgetPerJob = 4 * 1024 * 1024;
};

class TEncodePipeline {
 public:
  TEncodePipeline() = delete;

  // The threads Jobs asks for: one per processor for 0.
  static int ThreadCount(int jobs);

  // Encodes entries and writes them to writer, in order, under writer's
  // password. onProgress, called on this thread, gets the content bytes read
  // so far (every entry is read twice). The first error of an entry, in
  // entry order, is raised here once the entries before it are written.
  static void Write(const std::vector<TPipelineEntry>& entries, TZipWriter& writer, const TPipelineOptions& options,
                    const std::function<void(int64_t bytesRead)>& onProgress);
};

}  // namespace lumora
