// Copying a packaged program's appended archive in 10240-byte blocks,
// beside its floor and `cp`, all in the same run:
//   - ours, in process: TExeUtils' copy (file streams, progress events)
//     of the archive's bytes into an empty file;
//   - the floor: a bare read/write loop of the same 10240-byte blocks over
//     the same bytes, in process; ours is held to 1.1 times this;
//   - ours, whole program: the extract probe copying the archive out of
//     itself, start-up included;
//   - cp of the same bytes.
// Usage: lumora_bench_container [MEGABYTES] (default 300).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/ExeUtils.h"
#include "base/Stream.h"
#include "os/File.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double SecondsOf(const std::string& command) {
  const auto start = Clock::now();
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    std::exit(1);
  }
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void WritePayload(const fs::path& path, size_t megabytes) {
  std::mt19937_64 random(42);
  std::vector<uint64_t> block(1 << 17);  // 1 MiB
  std::ofstream out(path, std::ios::binary);
  for (size_t i = 0; i < megabytes; ++i) {
    for (auto& word : block) word = random();
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(1 << 20));
  }
}

template <typename TCopy>
double SecondsIn(TCopy copy) {
  const auto start = Clock::now();
  copy();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The floor: the same blocks through the same file handles, nothing else.
void BareCopy(const fs::path& from, const fs::path& to) {
  using namespace lumora;
  TFileHandle source =
      TFileHandle::Open(from.u16string(), TFileAccess::Read, TFileShare::None, TFileCreation::OpenExisting);
  TFileHandle target =
      TFileHandle::Open(to.u16string(), TFileAccess::Write, TFileShare::None, TFileCreation::CreateAlways);
  std::vector<uint8_t> buffer(TExeUtils::kCopyBlockSize);
  for (;;) {
    const int64_t got = source.Read(buffer.data(), TExeUtils::kCopyBlockSize);
    if (got <= 0) break;
    if (target.Write(buffer.data(), got) != got) std::exit(1);
  }
}

// Ours: TExeUtils' copy with a progress handler attached, as the runtime
// and the packer use it.
void OurCopy(const fs::path& from, const fs::path& to) {
  std::ofstream(to, std::ios::binary | std::ios::trunc);
  lumora::TExeUtils utils;
  int64_t last = 0;
  utils.OnProgressPos = [&last](lumora::TExeUtils&, int64_t position) { last = position; };
  utils.AppendZipToExe(from.u16string(), to.u16string());
}

}  // namespace

int main(int argc, char** argv) {
  const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 300;
  const fs::path dir = fs::temp_directory_path() / "lumora-bench-container";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path payload = dir / "payload.zip";
  const fs::path program = dir / ("probe" + fs::path(LUMORA_PROBE_PATH).extension().string());
  WritePayload(payload, megabytes);
  fs::copy_file(LUMORA_PROBE_PATH, program);
  lumora::TExeUtils().AppendZipToExe(payload.u16string(), program.u16string());

  // Warm the page cache for both readers alike, then alternate the two.
  SecondsOf("cat \"" + program.string() + "\" > /dev/null");
  double ours = 1e9, floor = 1e9, program_ = 1e9, reference = 1e9;
  for (int round = 0; round < 5; ++round) {
    ours = std::min(ours, SecondsIn([&] { OurCopy(payload, dir / "copy1"); }));
    floor = std::min(floor, SecondsIn([&] { BareCopy(payload, dir / "copy2"); }));
    program_ =
        std::min(program_, SecondsOf("\"" + program.string() + "\" \"" + (dir / "copy3").string() + "\" > /dev/null"));
    reference = std::min(reference, SecondsOf("cp \"" + payload.string() + "\" \"" + (dir / "copy4").string() + "\""));
  }
  const double mb = static_cast<double>(megabytes);
  std::printf("container copy of %zu MB, best of 5:\n", megabytes);
  std::printf("  ours (streams, progress)  %.3f s  %5.0f MB/s  %.2fx the floor\n", ours, mb / ours, ours / floor);
  std::printf("  floor (bare 10240 loop)   %.3f s  %5.0f MB/s\n", floor, mb / floor);
  std::printf("  ours, whole probe program %.3f s  %5.0f MB/s  %.2fx cp\n", program_, mb / program_,
              program_ / reference);
  std::printf("  cp                        %.3f s  %5.0f MB/s  floor %.2fx cp\n", reference, mb / reference,
              floor / reference);
  fs::remove_all(dir);
  return 0;
}
