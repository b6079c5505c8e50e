#include "pack/EncodePipeline.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

namespace lumora {

namespace {

// Encoded bytes a thread collects before it queues them: few hand-overs for
// a site of small files, little memory for a large one.
constexpr size_t kHandOverSize = 256 * 1024;
// How often progress is reported while the writer waits.
constexpr auto kProgressInterval = std::chrono::milliseconds(100);

struct TChunk {
  std::vector<uint8_t> Bytes;
  // A restart carries no bytes but the entry's new head.
  bool Restart = false;
  TEntryHead Head;
};

// One entry on its way from the thread that encodes it to the writer.
struct TSlot {
  bool HeadKnown = false;
  TEntryHead Head;
  std::deque<TChunk> Chunks;
  int64_t Queued = 0;
  bool Done = false;
  std::exception_ptr Error;
};

// Unwinds an encoding thread once the writer has given up.
struct TCancelled {};

class TPipeline {
 public:
  TPipeline(const std::vector<TPipelineEntry>& entries, TZipWriter& writer, const TPipelineOptions& options)
      : FEntries(entries),
        FWriter(writer),
        FOptions(options),
        FSlots(entries.size()),
        FBudget(std::max<int64_t>(1, options.BudgetPerJob) * TEncodePipeline::ThreadCount(options.Jobs)) {}

  void Run(const std::function<void(int64_t)>& onProgress) {
    int64_t reported = -1;
    const auto report = [&] {
      const int64_t read = FBytesRead.load(std::memory_order_relaxed);
      if (onProgress && read != reported) onProgress(reported = read);
    };
    const size_t threads = std::min(FEntries.size(), static_cast<size_t>(TEncodePipeline::ThreadCount(FOptions.Jobs)));
    TThreads workers(*this, threads);
    for (size_t index = 0; index < FEntries.size(); ++index) WriteEntry(index, report);
  }

  // The entry's encoding thread: the head, bytes, a restart, the end.
  void SetHead(size_t index, const TEntryHead& head) {
    const std::lock_guard lock(FMutex);
    FSlots[index].Head = head;
    FSlots[index].HeadKnown = true;
    FWriterWake.notify_one();
  }

  void Queue(size_t index, std::vector<uint8_t> bytes) {
    std::unique_lock lock(FMutex);
    TSlot& slot = FSlots[index];
    const auto size = static_cast<int64_t>(bytes.size());
    FWorkerWake.wait(lock, [&] { return FCancelled || MayQueue(index, size); });
    if (FCancelled) throw TCancelled{};
    slot.Chunks.push_back(TChunk{std::move(bytes), false, {}});
    slot.Queued += size;
    FQueued += size;
    FWriterWake.notify_one();
  }

  // The bytes still queued are void and need not be written first.
  void QueueRestart(size_t index, const TEntryHead& head) {
    const std::lock_guard lock(FMutex);
    TSlot& slot = FSlots[index];
    slot.Chunks.clear();
    FQueued -= slot.Queued;
    slot.Queued = 0;
    slot.Chunks.push_back(TChunk{{}, true, head});
    FWriterWake.notify_one();
    FWorkerWake.notify_all();
  }

  void Finish(size_t index, std::exception_ptr error) {
    const std::lock_guard lock(FMutex);
    FSlots[index].Error = std::move(error);
    FSlots[index].Done = true;
    FWriterWake.notify_one();
  }

 private:
  // Starts the encoding threads and, however the writer leaves, stops and
  // joins them.
  class TThreads {
   public:
    TThreads(TPipeline& pipeline, size_t count) : FPipeline(pipeline) {
      for (size_t i = 0; i < count; ++i) FThreads.emplace_back([this] { FPipeline.Work(); });
    }
    ~TThreads() {
      {
        const std::lock_guard lock(FPipeline.FMutex);
        FPipeline.FCancelled = true;
      }
      FPipeline.FWorkerWake.notify_all();
      for (std::thread& thread : FThreads) thread.join();
    }
    TThreads(const TThreads&) = delete;
    TThreads& operator=(const TThreads&) = delete;

   private:
    TPipeline& FPipeline;
    std::vector<std::thread> FThreads;
  };

  // Collects an entry's bytes and queues them in hand-over sized pieces.
  class TSlotSink final : public TEntrySink {
   public:
    TSlotSink(TPipeline& pipeline, size_t index) : FPipeline(pipeline), FIndex(index) {}
    void Begin(const TEntryHead& head) override { FPipeline.SetHead(FIndex, head); }
    void Data(const uint8_t* data, size_t count) override {
      FPending.insert(FPending.end(), data, data + count);
      if (FPending.size() >= kHandOverSize) Flush();
    }
    void Restart(const TEntryHead& head) override {
      FPending.clear();
      FPipeline.QueueRestart(FIndex, head);
    }
    void Flush() {
      if (!FPending.empty()) FPipeline.Queue(FIndex, std::exchange(FPending, {}));
    }

   private:
    TPipeline& FPipeline;
    size_t FIndex;
    std::vector<uint8_t> FPending;
  };

  // The entry being written may always queue up to one budget of its own,
  // so that the writer is never left waiting on a thread that waits for it.
  bool MayQueue(size_t index, int64_t size) const {
    return FQueued == 0 || FQueued + size <= FBudget || (index == FWriting && FSlots[index].Queued < FBudget);
  }

  void Work() {
    TEntryEncoder encoder(FWriter.Password(), FOptions.Level);
    const TEntryEncoder::TOnRead onRead = [this](int64_t count) {
      FBytesRead.fetch_add(count, std::memory_order_relaxed);
    };
    for (;;) {
      size_t index = 0;
      {
        const std::lock_guard lock(FMutex);
        if (FCancelled || FNext == FEntries.size()) return;
        index = FNext++;
      }
      try {
        const TPipelineEntry& entry = FEntries[index];
        const std::unique_ptr<TStream> content = entry.Open();
        TSlotSink sink(*this, index);
        encoder.Encode(entry.Info.Name, *content, sink, onRead);
        sink.Flush();
        Finish(index, nullptr);
      } catch (const TCancelled&) {
        return;
      } catch (...) {
        Finish(index, std::current_exception());
      }
    }
  }

  // Waits for ready, reporting progress meanwhile.
  template <typename TReady, typename TReport>
  void Await(std::unique_lock<std::mutex>& lock, TReady ready, TReport& report) {
    while (!FWriterWake.wait_for(lock, kProgressInterval, ready)) {
      lock.unlock();
      report();
      lock.lock();
    }
  }

  template <typename TReport>
  void WriteEntry(size_t index, TReport& report) {
    TSlot& slot = FSlots[index];
    std::unique_lock lock(FMutex);
    FWriting = index;
    FWorkerWake.notify_all();
    const auto headKnown = [&] { return slot.HeadKnown || slot.Done; };
    Await(lock, headKnown, report);
    if (!slot.HeadKnown) std::rethrow_exception(slot.Error);
    const TEntryHead head = slot.Head;
    lock.unlock();
    FWriter.BeginEntry(FEntries[index].Info, head);
    lock.lock();
    for (;;) {
      const auto chunkReady = [&] { return !slot.Chunks.empty() || slot.Done; };
      Await(lock, chunkReady, report);
      if (slot.Chunks.empty()) break;
      TChunk chunk = std::move(slot.Chunks.front());
      slot.Chunks.pop_front();
      const auto size = static_cast<int64_t>(chunk.Bytes.size());
      slot.Queued -= size;
      FQueued -= size;
      FWorkerWake.notify_all();
      lock.unlock();
      if (chunk.Restart) {
        FWriter.RestartEntry(chunk.Head);
      } else {
        FWriter.WriteEntryData(chunk.Bytes.data(), chunk.Bytes.size());
      }
      report();
      lock.lock();
    }
    if (slot.Error) std::rethrow_exception(slot.Error);
    lock.unlock();
    FWriter.EndEntry();
  }

  const std::vector<TPipelineEntry>& FEntries;
  TZipWriter& FWriter;
  const TPipelineOptions& FOptions;

  std::mutex FMutex;
  std::condition_variable FWriterWake;
  std::condition_variable FWorkerWake;
  std::vector<TSlot> FSlots;
  const int64_t FBudget;
  int64_t FQueued = 0;
  size_t FNext = 0;
  size_t FWriting = 0;
  bool FCancelled = false;
  std::atomic<int64_t> FBytesRead{0};
};

}  // namespace

int TEncodePipeline::ThreadCount(int jobs) {
  if (jobs > 0) return jobs;
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

void TEncodePipeline::Write(const std::vector<TPipelineEntry>& entries, TZipWriter& writer,
                            const TPipelineOptions& options, const std::function<void(int64_t)>& onProgress) {
  TPipeline(entries, writer, options).Run(onProgress);
}

}  // namespace lumora
