// A 10-byte range near the end of a large entry, as a video's seek asks
// for it, three ways, best of three, with the peak memory each adds:
// extracting the whole entry into memory and taking the range from it (how
// every entry was served before entries became streams), the entry stream
// the site serves large entries through now (TAbZipKit::OpenEntryStream),
// and reading the same bytes from a plain file on disk, what a page loaded
// from file: gets. Entries as the packer writes them: encrypted, stored
// (media) and deflated; and stored without encryption, which seeks.
//
// Usage: lumora_bench_range [MB]   (the entry's size, 128 by default)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "base/Stream.h"
#include "os/File.h"
#include "core/zip/AbZipKit.h"
#include "support/TestSupport.h"
#include "support/ZipWriter.h"

using Clock = std::chrono::steady_clock;
using namespace lumora;

namespace {

// A size from /proc/self/status in KiB: "VmRSS:" now, "VmHWM:" the largest
// since the last reset (Linux).
long StatusKiB(const std::string& key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(key, 0) == 0) return std::strtol(line.c_str() + key.size(), nullptr, 10);
  }
  return -1;
}

void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

struct TFigures {
  double Seconds = 1e9;
  long PeakGrowthKiB = 0;
};

TFigures Measure(const std::function<std::string()>& run, const std::string& expected) {
  TFigures figures;
  for (int round = 0; round < 3; ++round) {
    ResetPeak();
    const long before = StatusKiB("VmRSS:");
    const auto start = Clock::now();
    const std::string got = run();
    figures.Seconds = std::min(figures.Seconds, std::chrono::duration<double>(Clock::now() - start).count());
    figures.PeakGrowthKiB = std::max(figures.PeakGrowthKiB, StatusKiB("VmHWM:") - before);
    if (got != expected) {
      std::fprintf(stderr, "wrong bytes\n");
      std::exit(1);
    }
  }
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  const size_t size = (argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 128) << 20;
  test::TScratchDir dir;
  std::string data(size, '\0');
  std::mt19937 random(3);
  for (size_t i = 0; i < size; i += 4) {
    const uint32_t word = random();
    std::copy_n(reinterpret_cast<const char*>(&word), std::min<size_t>(4, size - i), data.data() + i);
  }
  // A third of it text, so that Deflate has something to do.
  for (size_t i = 0; i < size / 3; ++i) data[i] = "lorem ipsum dolor sit amet\n"[i % 27];
  const uint64_t offset = size - size / 10;
  const std::string expected = data.substr(offset, 10);
  const String plain = dir.File(u"entry.bin");
  test::WriteWholeFile(plain, data);

  struct TKind {
    const char* Name;
    uint16_t Method;
    const char* Password;
  };
  std::printf("10 bytes at %llu of a %zu MiB entry: best of 3 s, peak memory added MiB\n",
              static_cast<unsigned long long>(offset), size >> 20);
  std::printf("%-22s %22s %22s %22s\n", "entry", "whole into memory", "entry stream", "plain file read");
  const TFigures file = Measure(
      [&] {
        TFileStream stream(plain, TFileAccess::Read, TFileShare::Read, TFileCreation::OpenExisting);
        std::string bytes(10, '\0');
        stream.SetPosition(static_cast<int64_t>(offset));
        stream.ReadBuffer(bytes.data(), 10);
        return bytes;
      },
      expected);
  for (const TKind& kind :
       {TKind{"stored, encrypted", 0, "pw"}, TKind{"deflated, encrypted", 8, "pw"}, TKind{"stored", 0, ""}}) {
    const String archive = dir.File(u"site.zip");
    test::WriteWholeFile(
        archive,
        test::BuildZip({{.Name = "entry.bin", .Data = data, .Method = kind.Method, .Password = kind.Password}}));
    TAbZipKit kit;
    kit.SetPassword("pw");
    kit.SetFileName(archive);
    const TFigures whole = Measure(
        [&] {
          TMemoryStream memory;
          kit.ExtractToStream(u"entry.bin", &memory);
          return std::string(reinterpret_cast<const char*>(memory.Memory()) + offset, 10);
        },
        expected);
    const TFigures streamed = Measure(
        [&] {
          const std::unique_ptr<TStream> stream = kit.OpenEntryStream(kit.FindFile(u"entry.bin"));
          std::string bytes(10, '\0');
          stream->SetPosition(static_cast<int64_t>(offset));
          stream->ReadBuffer(bytes.data(), 10);
          return bytes;
        },
        expected);
    std::printf("%-22s %10.4f s %7.1f MiB %10.4f s %7.1f MiB %10.6f s %7.1f MiB\n", kind.Name, whole.Seconds,
                whole.PeakGrowthKiB / 1024.0, streamed.Seconds, streamed.PeakGrowthKiB / 1024.0, file.Seconds,
                file.PeakGrowthKiB / 1024.0);
  }
  std::printf(
      "(the entry stream's best for an encrypted stored entry is a repeated range: the streams over an\n"
      " entry share seek points, so only the first range decrypts from the entry's start)\n");
  return 0;
}
