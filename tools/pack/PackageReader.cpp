#include "pack/PackageReader.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <thread>

#include "base/Exception.h"
#include "core/ExeHtmlSite.h"
#include "os/ImageHeaders.h"
#include "core/zip/AbZipArchive.h"
#include "pack/EncodePipeline.h"
#include "pack/FileWindowStream.h"
#include "os/File.h"

namespace lumora {

namespace {

// Counts what an extraction writes and keeps none of it, so that testing an
// entry of any size needs no memory for its bytes.
class TCountingStream final : public TStream {
 public:
  int64_t Read(void*, int64_t) override { return 0; }
  int64_t Write(const void*, int64_t count) override {
    FPosition += count;
    FSize = std::max(FSize, FPosition);
    return count;
  }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override {
    const int64_t base = origin == TSeekOrigin::Current ? FPosition : origin == TSeekOrigin::End ? FSize : 0;
    FPosition = std::max<int64_t>(0, base + offset);
    return FPosition;
  }
  int64_t Size() override { return FSize; }
  void SetSize(int64_t size) override {
    FSize = std::max<int64_t>(0, size);
    FPosition = std::min(FPosition, FSize);
  }

 private:
  int64_t FPosition = 0;
  int64_t FSize = 0;
};

// The archive of the file, opened with the runtime's reader under the
// archive password. The reader layer below TAbZipKit is used directly
// because it extracts by index and raises each entry's error, where the
// component finds entries by name (the last of names differing only in
// letter case) and swallows errors.
std::unique_ptr<TAbZipArchive> OpenArchive(const String& path) {
  const int64_t start = TPackageReader::ArchiveStart(path);
  // A signed program's signature follows the archive and is left out.
  const int64_t end = start == 0 ? -1 : AppendedDataEnd(path, start);
  auto archive = std::make_unique<TAbZipArchive>(std::make_unique<TFileWindowStream>(path, start, end));
  archive->SetPassword(TExeHtmlSite::kArchivePassword);
  try {
    archive->Load();
  } catch (const Exception& error) {
    throw Exception(
        Format(u"\"%s\" holds no readable archive at offset %s: %s", {path, IntToStr(start), error.Message()}));
  }
  return archive;
}

}  // namespace

int64_t TPackageReader::ArchiveStart(const String& path) {
  // Opening first gives the usual "Cannot open file" error for a missing
  // file, which the image reader would only report as "no image".
  TFileStream file(path, TFileAccess::Read, TFileShare::ReadWrite, TFileCreation::OpenExisting);
  const int64_t size = file.Size();
  const int64_t imageEnd = ImageEndOfFile(path);
  if (imageEnd < 0) return 0;  // not a program: a bare archive
  if (imageEnd >= size || AppendedDataEnd(path, imageEnd) == imageEnd) {
    throw Exception(Format(u"\"%s\" is a program without an appended archive", {path}));
  }
  return imageEnd;
}

std::vector<TPackageEntry> TPackageReader::List(const String& path) {
  const std::unique_ptr<TAbZipArchive> archive = OpenArchive(path);
  const TAbArchiveList& items = archive->ItemList();
  std::vector<TPackageEntry> entries;
  entries.reserve(items.Count());
  for (size_t i = 0; i < items.Count(); ++i) {
    const TAbZipItem& item = items[i];
    entries.push_back(TPackageEntry{item.FileName, item.UncompressedSize, item.CompressedSize,
                                    item.Header.CompressionMethod, item.Header.LastModFileTime,
                                    item.Header.LastModFileDate, item.IsEncrypted()});
  }
  return entries;
}

// Entries are checked on several threads, each with its own reader over its
// own handle of the file (a reader moves its file's position). The cipher is
// serial within an entry, so the largest entries go first: the threads then
// finish close together.
TVerifyResult TPackageReader::Verify(const String& path, int jobs) {
  const std::unique_ptr<TAbZipArchive> archive = OpenArchive(path);
  const TAbArchiveList& items = archive->ItemList();
  std::vector<size_t> order(items.Count());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&items](size_t a, size_t b) { return items[a].CompressedSize > items[b].CompressedSize; });

  std::vector<String> failures(items.Count());
  std::atomic<uint64_t> bytes{0};
  std::atomic<size_t> next{0};
  const auto check = [&](TAbZipArchive& reader) {
    for (size_t at = next++; at < order.size(); at = next++) {
      const size_t i = order[at];
      TCountingStream sink;
      try {
        reader.ExtractItemToStream(static_cast<int32_t>(i), sink);
      } catch (const std::exception& error) {
        failures[i] = items[i].FileName + u": " + FromUtf8(error.what());
      }
      bytes += static_cast<uint64_t>(sink.Size());
    }
  };
  const size_t threads = std::min(order.size(), static_cast<size_t>(TEncodePipeline::ThreadCount(jobs)));
  std::vector<std::exception_ptr> errors(threads);
  {
    std::vector<std::jthread> helpers;
    for (size_t t = 1; t < threads; ++t) {
      helpers.emplace_back([&, t] {
        try {
          check(*OpenArchive(path));
        } catch (...) {
          errors[t] = std::current_exception();
          next = order.size();
        }
      });
    }
    check(*archive);
  }
  for (const std::exception_ptr& error : errors) {
    if (error) std::rethrow_exception(error);
  }

  TVerifyResult result;
  result.Entries = items.Count();
  result.Bytes = bytes;
  for (String& failure : failures) {
    if (!failure.empty()) result.Failures.push_back(std::move(failure));
  }
  return result;
}

}  // namespace lumora
