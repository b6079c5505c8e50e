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
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The password every packaged site uses.
const std::string kPassword = "kv73Tr8mwq5Ds=n941zbg70fe3Lux=Ra64wq";

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "lumora_bench_pack: %s\n", what.c_str());
  std::exit(1);
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string RandomBytes(std::mt19937_64& random, size_t count) {
  std::string bytes(count, '\0');
  for (size_t i = 0; i + 8 <= count; i += 8) {
    const uint64_t value = random();
    std::copy_n(reinterpret_cast<const char*>(&value), 8,
                bytes.begin() + static_cast<ptrdiff_t>(i));
  }
  return bytes;
}

// Text of a site: markup, style and script words over a vocabulary whose
// words are used with very unequal frequency, as in real pages (it deflates
// to about a third, like real pages do).
class TTextMaker {
 public:
  explicit TTextMaker(std::mt19937_64& random) : FRandom(random) {
    static const char* const kSyllables[] = {"ka", "lo", "mi", "ne", "su", "ta", "ri", "po", "de",
                                             "ba", "ve", "zu", "ch", "an", "or", "el", "is", "um"};
    for (int i = 0; i < 3000; ++i) {
      std::string word;
      const int length = 1 + static_cast<int>(FRandom() % 4);
      for (int s = 0; s < length; ++s) word += kSyllables[FRandom() % std::size(kSyllables)];
      FWords.push_back(word);
    }
  }

  std::string Make(size_t size, int kind) {
    static const char* const kHtml[] = {"<p>",      "</p>\n",     "<div class=\"", "\">",
                                        "</div>\n", "<a href=\"", ".html\">",      "</a>",
                                        "<li>",     "</li>\n"};
    static const char* const kCss[] = {" {\n  margin: ", "px;\n  color: #", ";\n}\n.",
                                       " > .",           "  padding: 0 ",   "em;\n"};
    static const char* const kJs[] = {"function ", "(a, b) {\n  return ",
                                      " + ",       ";\n}\n",
                                      "const ",    " = ",
                                      "if (",      ") {\n",
                                      "}\n",       "this."};
    std::string text;
    text.reserve(size + 64);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    while (text.size() < size) {
      const double u = unit(FRandom);
      text += FWords[static_cast<size_t>(std::pow(u, 5.0) * static_cast<double>(FWords.size()))];
      const uint64_t pick = FRandom();
      if (pick % 2 == 0) {
        if (kind == 0) text += kHtml[pick / 2 % std::size(kHtml)];
        if (kind == 1) text += kCss[pick / 2 % std::size(kCss)] + std::to_string(pick % 97);
        if (kind == 2) text += kJs[pick / 2 % std::size(kJs)];
      } else {
        text += ' ';
      }
    }
    text.resize(size);
    return text;
  }

 private:
  std::mt19937_64& FRandom;
  std::vector<std::string> FWords;
};

// The site: lm-config and an index page, text files, pictures and five
// large media files, by parts of the issue's 300 MB shape scaled to megabytes.
int64_t MakeSite(const fs::path& root, double megabytes, size_t& files) {
  using namespace std::string_literals;
  const double scale = megabytes / 300.0;
  std::mt19937_64 random(17);
  int64_t total = 0;
  const auto put = [&](const std::string& name, const std::string& bytes) {
    WriteFile(root / name, bytes);
    total += static_cast<int64_t>(bytes.size());
    ++files;
  };
  put("lm-config", "[Lumora]\r\nIndexPage=site/index.html\r\n");
  put("site/index.html", "<html><body>bench</body></html>\n");
  TTextMaker text(random);
  const auto texts = static_cast<int>(3500 * scale);
  for (int i = 0; i < texts; ++i) {
    static const char* const kExtensions[] = {".html", ".css", ".js"};
    const int kind = i % 3;
    put("site/pages/" + std::to_string(i / 100) + "/page" + std::to_string(i) + kExtensions[kind],
        text.Make(2000 + random() % 24000, kind));
  }
  const auto pictures = static_cast<int>(1500 * scale);
  for (int i = 0; i < pictures; ++i) {
    const bool jpeg = i % 3 != 0;
    const std::string signature = jpeg ? "\xFF\xD8\xFF\xE0" : "\x89PNG\r\n\x1A\n";
    put("site/img/" + std::to_string(i / 100) + "/pic" + std::to_string(i) +
            (jpeg ? ".jpg" : ".png"),
        signature + RandomBytes(random, 10000 + random() % 80000));
  }
  const struct {
    const char* Name;
    std::string Signature;
    int Megabytes;
  } media[] = {
      {"site/media/intro.mp4", "\0\0\0 ftypisom"s, 22},
      {"site/media/theme.mp3", "ID3\x04", 28},
      {"site/media/tour.webm", "\x1A\x45\xDF\xA3", 34},
      {"site/media/talk.mp4", "\0\0\0 ftypmp42"s, 41},
      {"site/media/film.mp4", "\0\0\0 ftypisom"s, 48},
  };
  for (const auto& m : media) {
    put(m.Name,
        m.Signature + RandomBytes(random, static_cast<size_t>(m.Megabytes * scale * 1048576)));
  }
  return total;
}

struct TRun {
  double Seconds = 0;
  // Processor time, all threads together: on a busy machine it shows how
  // the work would spread where the wall-clock time cannot.
  double CpuSeconds = 0;
  long PeakKiB = 0;
};

double CpuSeconds(const rusage& usage) {
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs command with sh in folder; its time and peak resident memory. The
// shell execs the command so that the memory is the program's own.
TRun Run(const std::string& command, const fs::path& folder = fs::current_path()) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(126);
    execl("/bin/sh", "sh", "-c", ("exec " + command + " > /dev/null").c_str(), nullptr);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    Fail("failed: " + command);
  }
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
          CpuSeconds(usage), usage.ru_maxrss};
}

// Each program's best run of rounds. The programs take turns round by round,
// so that a busy spell of the machine falls on all of them alike.
std::vector<TRun> Best(int rounds, const std::vector<std::function<TRun()>>& programs) {
  std::vector<TRun> best(programs.size(), TRun{1e9, 0, 0});
  for (int round = 0; round < rounds; ++round) {
    for (size_t i = 0; i < programs.size(); ++i) {
      const TRun one = programs[i]();
      if (one.Seconds < best[i].Seconds) {
        best[i].Seconds = one.Seconds;
        best[i].CpuSeconds = one.CpuSeconds;
      }
      best[i].PeakKiB = std::max(best[i].PeakKiB, one.PeakKiB);
    }
  }
  return best;
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
    zip_file_t* file =
        zip_fopen_index_encrypted(archive, static_cast<zip_uint64_t>(i), 0, kPassword.c_str());
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

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

double LoadAverage() {
  double load[1] = {0};
  return getloadavg(load, 1) == 1 ? load[0] : -1;
}

void Line(const char* what, const TRun& run, double reference) {
  std::printf("  %-44s %7.2f s %5.2fx  (processor %6.2f s, peak %6.1f MiB)\n", what, run.Seconds,
              reference / run.Seconds, run.CpuSeconds, static_cast<double>(run.PeakKiB) / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
  const double megabytes = argc > 1 ? std::atof(argv[1]) : 300.0;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2;
  const fs::path work =
      fs::temp_directory_path() / ("lumora-bench-pack-" + std::to_string(getpid()));
  const fs::path site = work / "site";
  fs::create_directories(site);
  const std::string pack = LUMORA_PACK_PATH;
  const std::string runtime = LUMORA_RUNTIME_PATH;

  size_t files = 0;
  const int64_t bytes = MakeSite(site, megabytes, files);
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  std::printf("Site: %zu files, %.1f MB; %u processors; load average %.2f at the start\n", files,
              static_cast<double>(bytes) / 1e6, cores, LoadAverage());

  // Packing. Every program starts without its output: zip would otherwise
  // update an existing archive.
  const auto packWith = [&](const std::string& options, const fs::path& out) {
    return [&, options, out] {
      fs::remove(out);
      return Run(Quoted(pack) + " " + options + " --runtime " + Quoted(runtime) + " " +
                 Quoted(site) + " " + Quoted(out));
    };
  };
  const fs::path oursOut = work / "ours";
  const std::vector<TRun> packing =
      Best(rounds, {packWith("", oursOut), packWith("--jobs 1", work / "ours-1"),
                    packWith("--level 1", work / "ours-fast"),
                    [&] {
                      fs::remove(work / "zip.zip");
                      return Run("zip -q -r -9 -P '" + kPassword + "' ../zip.zip .", site);
                    },
                    [&] {
                      fs::remove(work / "7z.zip");
                      return Run("7z a -bd -tzip -mm=Deflate -mem=ZipCrypto -p'" + kPassword +
                                     "' ../7z.zip .",
                                 site);
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
    std::snprintf(
        text, sizeof text, "%lld bytes (%+.2f%% against zip -9)", static_cast<long long>(archive),
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
              static_cast<long long>(zipArchive), size(sevenArchive).c_str(),
              size(oursArchive).c_str(), size(fastArchive).c_str());
  std::printf("  lumora-pack on %u threads: %.2fx as fast as on one\n", cores,
              oursOne.Seconds / ours.Seconds);

  // Checking: every reader gets the same bare archive.
  const fs::path bare = work / "bare.zip";
  if (std::system(("tail -c +" + std::to_string(runtimeSize + 1) + " " + Quoted(oursOut) + " > " +
                   Quoted(bare))
                      .c_str()) != 0) {
    Fail("cutting the archive out of the package");
  }
  // Checking is quick: more rounds.
  const std::vector<TRun> checking =
      Best(3 * rounds, {[&] { return Run(Quoted(pack) + " --verify " + Quoted(bare)); },
                        [&] { return Run(Quoted(pack) + " --verify --jobs 1 " + Quoted(bare)); },
                        [&] { return Run("7z t -p'" + kPassword + "' " + Quoted(bare)); },
                        [&] { return LibzipReadAll(bare); }});
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
