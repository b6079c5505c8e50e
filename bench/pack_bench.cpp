// Packing a generated site of the shape authors ship (pages, style sheets
// and scripts; pictures; a few large films and sounds) with lumora-pack
// beside Info-ZIP's "zip -9 -P" and 7-Zip's ZIP with Deflate and ZipCrypto,
// then checking the package with "lumora-pack --verify" beside "7z t" and
// libzip reading every entry, all in one run, printed as ratios. Each
// program's best time of ROUNDS (three times as many for the quicker
// checking), its processor time and its peak memory are shown.
//
// Usage: lumora_bench_pack [MEGABYTES] [ROUNDS] (default 300 and 2: about
// 5,000 files with five media files of 22 to 48 MB; a smaller size scales
// every part of the site down alike).
//
// Pictures and media are their format's signature followed by random bytes:
// to Deflate that is what their compressed payload looks like, though real
// JPEG files give zip -9 about a percent on their bytes.
#include <zip.h>

#include <thread>

#include "ProcessBench.h"

using namespace lumora::bench;

namespace {

// The site: lm-config and an index page, text files, pictures and five
// large media files, by parts of the 300 MB shape scaled to megabytes.
TSiteWriter MakeSite(const fs::path& root, double megabytes) {
  using namespace std::string_literals;
  const double scale = megabytes / 300.0;
  std::mt19937_64 random(17);
  TSiteWriter site(root);
  site.PutTexts(random, static_cast<int>(3500 * scale));
  const auto pictures = static_cast<int>(1500 * scale);
  for (int i = 0; i < pictures; ++i) {
    const bool jpeg = i % 3 != 0;
    const std::string signature = jpeg ? "\xFF\xD8\xFF\xE0" : "\x89PNG\r\n\x1A\n";
    site.Put("site/img/" + std::to_string(i / 100) + "/pic" + std::to_string(i) + (jpeg ? ".jpg" : ".png"),
             signature + RandomBytes(random, 10000 + random() % 80000));
  }
  const struct {
    const char* Name;
    std::string Signature;
    int Megabytes;
  } media[] = {
      {"site/media/intro.mp4", "\0\0\0 ftypisom"s, 22}, {"site/media/theme.mp3", "ID3\x04", 28},
      {"site/media/tour.webm", "\x1A\x45\xDF\xA3", 34}, {"site/media/talk.mp4", "\0\0\0 ftypmp42"s, 41},
      {"site/media/film.mp4", "\0\0\0 ftypisom"s, 48},
  };
  for (const auto& m : media) {
    site.Put(m.Name, m.Signature + RandomBytes(random, static_cast<size_t>(m.Megabytes * scale * 1048576)));
  }
  return site;
}

// libzip opening the archive and reading every entry, CRC checked at its end.
TRun LibzipReadAll(const fs::path& archivePath) {
  const auto start = std::chrono::steady_clock::now();
  rusage before{};
  getrusage(RUSAGE_SELF, &before);
  int error = 0;
  zip_t* archive = zip_open(archivePath.c_str(), ZIP_RDONLY, &error);
  if (archive == nullptr) Fail("zip_open");
  std::vector<char> buffer(256 * 1024);
  const zip_int64_t count = zip_get_num_entries(archive, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_file_t* file = zip_fopen_index_encrypted(archive, static_cast<zip_uint64_t>(i), 0, kPassword.c_str());
    if (file == nullptr) Fail("zip_fopen_index_encrypted");
    zip_int64_t got = 0;
    while ((got = zip_fread(file, buffer.data(), buffer.size())) > 0) {
    }
    if (got < 0) Fail("zip_fread");
    zip_fclose(file);
  }
  zip_close(archive);
  rusage after{};
  getrusage(RUSAGE_SELF, &after);
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
          CpuSeconds(after) - CpuSeconds(before), 0};
}

void Line(const char* what, const TRun& run, double reference) {
  std::printf("  %-44s %7.2f s %5.2fx  (processor %6.2f s, peak %6.1f MiB)\n", what, run.Seconds,
              reference / run.Seconds, run.CpuSeconds, static_cast<double>(run.PeakKiB) / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
  const double megabytes = argc > 1 ? std::atof(argv[1]) : 300.0;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2;
  const fs::path work = fs::temp_directory_path() / ("lumora-bench-pack-" + std::to_string(getpid()));
  const fs::path site = work / "site";
  fs::create_directories(site);
  const std::string pack = LUMORA_PACK_PATH;
  const std::string runtime = LUMORA_RUNTIME_PATH;

  const TSiteWriter written = MakeSite(site, megabytes);
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  std::printf("Site: %zu files, %.1f MB; %u processors; load average %.2f at the start\n", written.Files(),
              static_cast<double>(written.Bytes()) / 1e6, cores, LoadAverage());

  // Packing. Every program starts without its output: zip would otherwise
  // update an existing archive.
  const auto packWith = [&](const std::string& options, const fs::path& out) {
    return [&, options, out] {
      fs::remove(out);
      return Run(Quoted(pack) + " " + options + " --runtime " + Quoted(runtime) + " " + Quoted(site) + " " +
                 Quoted(out));
    };
  };
  const fs::path oursOut = work / "ours";
  const std::vector<TRun> packing = Best(
      rounds, {packWith("", oursOut), packWith("--jobs 1", work / "ours-1"), packWith("--level 1", work / "ours-fast"),
               [&] {
                 fs::remove(work / "zip.zip");
                 return Run("zip -q -r -9 -P '" + kPassword + "' ../zip.zip .", site);
               },
               [&] {
                 fs::remove(work / "7z.zip");
                 return Run("7z a -bd -tzip -mm=Deflate -mem=ZipCrypto -p'" + kPassword + "' ../7z.zip .", site);
               }});
  const TRun& ours = packing[0];
  const TRun& oursOne = packing[1];
  const TRun& oursFast = packing[2];
  const TRun& zip = packing[3];
  const TRun& sevenZip = packing[4];

  const auto runtimeSize = static_cast<int64_t>(fs::file_size(runtime));
  const int64_t oursArchive = static_cast<int64_t>(fs::file_size(oursOut)) - runtimeSize;
  const int64_t oneArchive = static_cast<int64_t>(fs::file_size(work / "ours-1")) - runtimeSize;
  const int64_t fastArchive = static_cast<int64_t>(fs::file_size(work / "ours-fast")) - runtimeSize;
  const auto zipArchive = static_cast<int64_t>(fs::file_size(work / "zip.zip"));
  const auto sevenArchive = static_cast<int64_t>(fs::file_size(work / "7z.zip"));
  if (oneArchive != oursArchive) Fail("one thread and several gave archives of other sizes");
  if (std::system(("cmp -s " + Quoted(oursOut) + " " + Quoted(work / "ours-1")).c_str()) != 0) {
    Fail("one thread and several gave other bytes");
  }

  const auto size = [&](int64_t archive) {
    char text[96];
    std::snprintf(text, sizeof text, "%lld bytes (%+.2f%% against zip -9)", static_cast<long long>(archive),
                  100.0 * static_cast<double>(archive - zipArchive) / static_cast<double>(zipArchive));
    return std::string(text);
  };
  std::printf("\nPacking (best of %d; speed as a multiple of zip -9's):\n", rounds);
  Line("zip -9 -P", zip, zip.Seconds);
  Line("7z a -tzip -mm=Deflate -mem=ZipCrypto", sevenZip, zip.Seconds);
  Line("lumora-pack --jobs 1", oursOne, zip.Seconds);
  Line("lumora-pack --level 1", oursFast, zip.Seconds);
  Line("lumora-pack", ours, zip.Seconds);
  std::printf("  archives: zip -9 %lld bytes; 7z %s; lumora-pack %s; --level 1 %s\n",
              static_cast<long long>(zipArchive), size(sevenArchive).c_str(), size(oursArchive).c_str(),
              size(fastArchive).c_str());
  std::printf("  lumora-pack on %u threads: %.2fx as fast as on one\n", cores, oursOne.Seconds / ours.Seconds);

  // Checking: every reader gets the same bare archive.
  const fs::path bare = work / "bare.zip";
  if (std::system(
          ("tail -c +" + std::to_string(runtimeSize + 1) + " " + Quoted(oursOut) + " > " + Quoted(bare)).c_str()) !=
      0) {
    Fail("cutting the archive out of the package");
  }
  // Checking is quick: more rounds.
  const std::vector<TRun> checking =
      Best(3 * rounds,
           {[&] { return Run(Quoted(pack) + " --verify " + Quoted(bare)); },
            [&] { return Run(Quoted(pack) + " --verify --jobs 1 " + Quoted(bare)); },
            [&] { return Run("7z t -p'" + kPassword + "' " + Quoted(bare)); }, [&] { return LibzipReadAll(bare); }});
  const TRun& verify = checking[0];
  const TRun& verifyOne = checking[1];
  const TRun& sevenTest = checking[2];
  const TRun& libzip = checking[3];
  std::printf("\nChecking the package (best of %d; speed as a multiple of 7z t's):\n", 3 * rounds);
  Line("7z t", sevenTest, sevenTest.Seconds);
  Line("libzip, every entry read (in this process)", libzip, sevenTest.Seconds);
  Line("lumora-pack --verify --jobs 1", verifyOne, sevenTest.Seconds);
  Line("lumora-pack --verify", verify, sevenTest.Seconds);
  std::printf("  --verify on %u threads: %.2fx as fast as on one; %.2fx libzip\n", cores,
              verifyOne.Seconds / verify.Seconds, libzip.Seconds / verify.Seconds);

  std::printf(
      "\nGoals: packing >= 3x zip -9: %.2fx; archive <= +2%%: %+.2f%%; "
      "--verify >= 1.7x one thread: %.2fx\n",
      zip.Seconds / ours.Seconds,
      100.0 * static_cast<double>(oursArchive - zipArchive) / static_cast<double>(zipArchive),
      verifyOne.Seconds / verify.Seconds);
  std::printf("Load average %.2f at the end\n", LoadAverage());
  fs::remove_all(work);
  return 0;
}
