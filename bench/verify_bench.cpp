// Checking a text-heavy site archive of about 5 MB, as whole programs in one
// run: "lumora-pack --verify" beside lumora_libzip_verify, a program that
// does the same with libzip (decrypt, inflate and CRC-check every entry).
// Each program's best time of ROUNDS, taking turns; --verify on one thread
// is shown too. Goal: --verify at least 1.3 times as fast as libzip.
//
// Usage: lumora_bench_verify [ROUNDS] (default 15)
#include <thread>

#include "ProcessBench.h"

using namespace lumora::bench;

namespace {

// lm-config, an index page, 1,000 pages, style sheets and scripts (about
// 14 MB of text, a third of that deflated) and a few pictures.
TSiteWriter MakeSite(const fs::path& root) {
  std::mt19937_64 random(29);
  TSiteWriter site(root);
  site.PutTexts(random, 1000);
  for (int i = 0; i < 10; ++i) {
    site.Put("site/img/pic" + std::to_string(i) + ".jpg",
             "\xFF\xD8\xFF\xE0" + RandomBytes(random, 20000 + random() % 60000));
  }
  return site;
}

void Line(const char* what, const TRun& run, double reference) {
  std::printf("  %-32s %8.1f ms  %5.2fx  (processor %7.1f ms, peak %6.1f MiB)\n", what, run.Seconds * 1e3,
              reference / run.Seconds, run.CpuSeconds * 1e3, static_cast<double>(run.PeakKiB) / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const fs::path work = fs::temp_directory_path() / ("lumora-bench-verify-" + std::to_string(getpid()));
  const fs::path site = work / "site";
  const std::string pack = LUMORA_PACK_PATH;
  const std::string runtime = LUMORA_RUNTIME_PATH;
  const std::string libzip = LUMORA_LIBZIP_VERIFY_PATH;

  const TSiteWriter written = MakeSite(site);
  const fs::path program = work / "program";
  Run(Quoted(pack) + " --runtime " + Quoted(runtime) + " " + Quoted(site) + " " + Quoted(program));
  // Both read the same bare archive, cut out of the packed program.
  const fs::path archive = work / "site.zip";
  const auto runtimeSize = static_cast<int64_t>(fs::file_size(runtime));
  if (std::system(
          ("tail -c +" + std::to_string(runtimeSize + 1) + " " + Quoted(program) + " > " + Quoted(archive)).c_str()) !=
      0) {
    Fail("cutting the archive out of the package");
  }
  std::printf("Archive: %zu entries, %.2f MB (%.1f MB of site); %u processors; load %.2f\n", written.Files(),
              static_cast<double>(fs::file_size(archive)) / 1e6, static_cast<double>(written.Bytes()) / 1e6,
              std::max(1u, std::thread::hardware_concurrency()), LoadAverage());

  const std::vector<TRun> best =
      Best(rounds, {[&] { return Run(Quoted(libzip) + " " + Quoted(archive) + " '" + kPassword + "'"); },
                    [&] { return Run(Quoted(pack) + " --verify " + Quoted(archive)); },
                    [&] { return Run(Quoted(pack) + " --verify --jobs 1 " + Quoted(archive)); }});
  std::printf(
      "\nChecking every entry (best of %d, whole processes; speed as a multiple of "
      "libzip's):\n",
      rounds);
  Line("libzip (lumora_libzip_verify)", best[0], best[0].Seconds);
  Line("lumora-pack --verify --jobs 1", best[2], best[0].Seconds);
  Line("lumora-pack --verify", best[1], best[0].Seconds);
  std::printf("\nGoal: --verify >= 1.30x libzip: %.2fx (one thread: %.2fx)\n", best[0].Seconds / best[1].Seconds,
              best[0].Seconds / best[2].Seconds);
  fs::remove_all(work);
  return 0;
}
