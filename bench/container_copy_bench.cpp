// Copying a packaged program's appended archive out of the running
// executable in 10240-byte blocks, beside `cp` of the same bytes in the same
// run. Usage: lumora_bench_container [MEGABYTES] (default 300).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/ExeUtils.h"

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
  double ours = 1e9, reference = 1e9;
  for (int round = 0; round < 3; ++round) {
    ours = std::min(ours, SecondsOf("\"" + program.string() + "\" \"" + (dir / "copy1").string() +
                                    "\" > /dev/null"));
    reference = std::min(reference, SecondsOf("cp \"" + payload.string() + "\" \"" +
                                              (dir / "copy2").string() + "\""));
  }
  const double mb = static_cast<double>(megabytes);
  std::printf("container copy of %zu MB: ours %.3f s (%.0f MB/s), cp %.3f s (%.0f MB/s), ratio %.2f\n",
              megabytes, ours, mb / ours, reference, mb / reference, ours / reference);
  fs::remove_all(dir);
  return 0;
}
