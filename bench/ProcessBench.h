// What the benchmarks that time whole programs share: running a command as
// its own process with its time, processor time and peak memory, taking
// turns for the best of several rounds, and generating site text that
// compresses like real pages.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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
#include <vector>

namespace lumora::bench {

namespace fs = std::filesystem;

// The password every packaged site uses.
inline const std::string kPassword = "kv73Tr8mwq5Ds=n941zbg70fe3Lux=Ra64wq";

[[noreturn]] inline void Fail(const std::string& what) {
  std::fprintf(stderr, "bench: %s\n", what.c_str());
  std::exit(1);
}

inline void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string RandomBytes(std::mt19937_64& random, size_t count) {
  std::string bytes(count, '\0');
  for (size_t i = 0; i + 8 <= count; i += 8) {
    const uint64_t value = random();
    std::copy_n(reinterpret_cast<const char*>(&value), 8, bytes.begin() + static_cast<ptrdiff_t>(i));
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
    static const char* const kHtml[] = {"<p>",        "</p>\n",   "<div class=\"", "\">",  "</div>\n",
                                        "<a href=\"", ".html\">", "</a>",          "<li>", "</li>\n"};
    static const char* const kCss[] = {" {\n  margin: ", "px;\n  color: #", ";\n}\n.",
                                       " > .",           "  padding: 0 ",   "em;\n"};
    static const char* const kJs[] = {
        "function ", "(a, b) {\n  return ", " + ", ";\n}\n", "const ", " = ", "if (", ") {\n", "}\n", "this."};
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

// A generated site written below a folder: lm-config and an index page,
// then what the benchmark puts; it counts the files and their bytes.
class TSiteWriter {
 public:
  explicit TSiteWriter(fs::path root) : FRoot(std::move(root)) {
    Put("lm-config", "[Lumora]\r\nIndexPage=site/index.html\r\n");
    Put("site/index.html", "<html><body>bench</body></html>\n");
  }

  void Put(const std::string& name, const std::string& bytes) {
    WriteFile(FRoot / name, bytes);
    FBytes += static_cast<int64_t>(bytes.size());
    ++FFiles;
  }

  // count pages, style sheets and scripts of 2,000 to 26,000 bytes each.
  void PutTexts(std::mt19937_64& random, int count) {
    TTextMaker text(random);
    for (int i = 0; i < count; ++i) {
      static const char* const kExtensions[] = {".html", ".css", ".js"};
      const int kind = i % 3;
      Put("site/pages/" + std::to_string(i / 100) + "/page" + std::to_string(i) + kExtensions[kind],
          text.Make(2000 + random() % 24000, kind));
    }
  }

  size_t Files() const { return FFiles; }
  int64_t Bytes() const { return FBytes; }

 private:
  fs::path FRoot;
  size_t FFiles = 0;
  int64_t FBytes = 0;
};

struct TRun {
  double Seconds = 0;
  // Processor time, all threads together: on a busy machine it shows how
  // the work would spread where the wall-clock time cannot.
  double CpuSeconds = 0;
  long PeakKiB = 0;
};

inline double CpuSeconds(const rusage& usage) {
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs command with sh in folder; its time and peak resident memory. The
// shell execs the command so that the memory is the program's own.
inline TRun Run(const std::string& command, const fs::path& folder = fs::current_path()) {
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
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), CpuSeconds(usage),
          usage.ru_maxrss};
}

// Each program's best run of rounds. The programs take turns round by round,
// so that a busy spell of the machine falls on all of them alike.
inline std::vector<TRun> Best(int rounds, const std::vector<std::function<TRun()>>& programs) {
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

inline std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

inline double LoadAverage() {
  double load[1] = {0};
  return getloadavg(load, 1) == 1 ? load[0] : -1;
}

}  // namespace lumora::bench
