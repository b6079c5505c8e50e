// Opens arbitrary bytes as a ZIP archive and extracts every entry with the
// password of the seed corpus, so that the end-record search, the directory,
// the name decoding and every layer of the read path see hostile input.
// The reader's failure event is connected as the runtime's site object
// connects it (the failure raised again), so the failure path is what runs
// for every damaged entry. Failures are expected; crashes, leaks, reads out
// of bounds, and an entry that extracts without error to any size but the
// one it declares are not. An entry that extracts must read the same
// through the stream that decodes as it is read, from its middle and from
// its start.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "base/Stream.h"
#include "core/zip/AbZipKit.h"
#include "core/zip/ZipEntryStream.h"

using namespace lumora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto stream = std::make_unique<TMemoryStream>();
  stream->WriteBuffer(data, static_cast<int64_t>(size));
  stream->SetPosition(0);

  TAbZipKit kit;
  kit.SetPassword("pw");
  kit.SetOnProcessItemFailure([](TAbZipKit&, const TAbZipItem&, TAbProcessType, const std::exception&) { throw; });
  try {
    kit.OpenStream(std::move(stream));
  } catch (const std::exception&) {
    return 0;
  }
  const TAbArchiveList& items = kit.Archive()->ItemList();
  // Bounded, so that a directory of many tiny entries stays quick.
  for (size_t i = 0; i < items.Count() && i < 64; ++i) {
    // Equal names find the last of them, which is the one extracted.
    const String name = items[i].FileName;
    const int32_t found = kit.FindFile(name);
    if (found < static_cast<int32_t>(i)) __builtin_trap();
    TMemoryStream out;
    bool failed = false;
    try {
      kit.ExtractToStream(name, &out);
    } catch (const std::exception&) {
      failed = true;
    }
    const uint64_t declared = items[static_cast<size_t>(found)].UncompressedSize;
    const auto written = static_cast<uint64_t>(out.Size());
    if (written > declared || (!failed && written != declared)) __builtin_trap();
    if (failed) continue;
    TZipEntryStream entry(
        [data, size] {
          auto archive = std::make_unique<TMemoryStream>();
          archive->WriteBuffer(data, static_cast<int64_t>(size));
          return archive;
        },
        items[static_cast<size_t>(found)], "pw");
    for (const uint64_t from : {declared / 2, uint64_t{0}}) {
      std::vector<uint8_t> bytes(static_cast<size_t>(declared - from));
      entry.SetPosition(static_cast<int64_t>(from));
      try {
        entry.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
      } catch (const std::exception&) {
        __builtin_trap();
      }
      if (!bytes.empty() && std::memcmp(bytes.data(), out.Memory() + from, bytes.size()) != 0) __builtin_trap();
    }
  }
  return 0;
}
