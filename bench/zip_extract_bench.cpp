// Extracting every entry of an encrypted site archive into memory with
// TAbZipKit, beside libzip doing the same and a bare loop that only decrypts
// the same bytes (the floor: the cost of the cipher alone), and opening a
// 50,000-entry archive beside libzip's open.
//
// Usage: lumora_bench_zip [MEDIA_MEGABYTES] (default 32)
#include <zip.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "base/Stream.h"
#include "core/zip/AbZipKit.h"
#include "core/zip/PkwareDecryptor.h"
#include "core/zip/ZipRecords.h"
#include "support/ZipWriter.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace lumora;

namespace {

// The password every packaged site uses.
const std::string kPassword = "kv73Tr8mwq5Ds=n941zbg70fe3Lux=Ra64wq";
constexpr int kRounds = 5;

double BestSeconds(const std::function<void()>& run) {
  double best = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    const auto start = Clock::now();
    run();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

std::string Page(std::mt19937& random, size_t size) {
  static const char* const kWords[] = {
      "the",    "site",  "page",   "<div class=\"item\">",       "</div>", "function", "return", "var",   "style",
      "color:", "#fff;", "margin", "<a href=\"../index.html\">", "</a>",   "lorem",    "ipsum",  "dolor", "table",
      "<p>",    "</p>\n"};
  std::string text;
  text.reserve(size + 32);
  while (text.size() < size) {
    text += kWords[random() % std::size(kWords)];
    text += ' ';
  }
  text.resize(size);
  return text;
}

// A realistic site: a few hundred pages, scripts and style sheets, and some
// incompressible media, all Deflate and encrypted.
std::vector<test::TZipTestEntry> SiteEntries(size_t mediaMegabytes) {
  std::mt19937 random(1);
  std::vector<test::TZipTestEntry> entries;
  for (int i = 0; i < 400; ++i) {
    const char* kind = i % 4 == 0 ? ".js" : i % 4 == 1 ? ".css" : ".html";
    entries.push_back({.Name = "site/pages/page" + std::to_string(i) + kind,
                       .Data = Page(random, 2000 + random() % 30000),
                       .Password = kPassword});
  }
  std::mt19937_64 noise(2);
  size_t left = mediaMegabytes << 20;
  for (int i = 0; left > 0; ++i) {
    const size_t size = std::min(left, size_t{1} << 20 | (noise() % (2u << 20)));
    std::string media(size, '\0');
    for (auto& b : media) b = static_cast<char>(noise());
    entries.push_back({.Name = "site/media/clip" + std::to_string(i) + (i % 2 ? ".jpg" : ".mp3"),
                       .Data = std::move(media),
                       .Password = kPassword});
    left -= size;
  }
  return entries;
}

struct TEntryData {
  std::string Name;
  std::vector<uint8_t> Encrypted;  // the data window: header and cipher text
};

// The encrypted bytes of every entry, read out of the archive with the
// offsets the directory gives.
std::vector<TEntryData> EncryptedData(const std::string& archive, const TAbArchiveList& items) {
  std::vector<TEntryData> out;
  for (size_t i = 0; i < items.Count(); ++i) {
    const auto* local = reinterpret_cast<const uint8_t*>(archive.data()) + items[i].RelativeOffset;
    const size_t start = items[i].RelativeOffset + zip::kLocalHeaderSize + ReadU16(local + 26) + ReadU16(local + 28);
    const auto* begin = reinterpret_cast<const uint8_t*>(archive.data()) + start;
    out.push_back({ToUtf8(items[i].FileName), {begin, begin + items[i].CompressedSize}});
  }
  return out;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void Fail(const char* what) {
  std::fprintf(stderr, "failed: %s\n", what);
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  const size_t mediaMegabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 32;
  const fs::path dir = fs::temp_directory_path() / "lumora-bench-zip";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path sitePath = dir / "site.zip";
  const std::string site = test::BuildZip(SiteEntries(mediaMegabytes));
  WriteFile(sitePath, site);
  const std::string sitePath8 = sitePath.string();

  TAbZipKit kit;
  kit.SetPassword(kPassword);
  kit.SetFileName(sitePath.u16string());
  kit.SetOnProcessItemFailure(
      [](TAbZipKit&, const TAbZipItem&, TAbProcessType, const std::exception& e) { Fail(e.what()); });
  const TAbArchiveList& items = kit.Archive()->ItemList();
  uint64_t plainBytes = 0;
  for (size_t i = 0; i < items.Count(); ++i) plainBytes += items[i].UncompressedSize;
  const std::vector<TEntryData> encrypted = EncryptedData(site, items);
  uint64_t cipherBytes = 0;
  for (const auto& entry : encrypted) cipherBytes += entry.Encrypted.size();

  // Ours: every entry by name into its own memory stream.
  const double ours = BestSeconds([&] {
    for (const auto& entry : encrypted) {
      TMemoryStream out;
      kit.ExtractToStream(FromUtf8(entry.Name), &out);
      if (out.Size() == 0) Fail("empty entry");
    }
  });

  // libzip: every entry by index into a buffer of its size.
  int error = 0;
  zip_t* archive = zip_open(sitePath8.c_str(), ZIP_RDONLY, &error);
  if (archive == nullptr) Fail("zip_open");
  const double libzip = BestSeconds([&] {
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
      zip_stat_t stat;
      zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
      std::vector<uint8_t> out(stat.size);
      zip_file_t* file = zip_fopen_index_encrypted(archive, static_cast<zip_uint64_t>(i), 0, kPassword.c_str());
      if (file == nullptr) Fail("zip_fopen_index_encrypted");
      if (zip_fread(file, out.data(), out.size()) != static_cast<zip_int64_t>(out.size())) {
        Fail("zip_fread");
      }
      zip_fclose(file);
    }
  });
  zip_close(archive);

  // The floor: decrypting the same bytes in memory, nothing else.
  std::vector<uint8_t> scratch;
  const double floor = BestSeconds([&] {
    for (const auto& entry : encrypted) {
      scratch.assign(entry.Encrypted.begin(), entry.Encrypted.end());
      TPkwareKeys keys(kPassword);
      keys.Decrypt(scratch.data(), scratch.size());
    }
  });

  const double mb = 1024.0 * 1024.0;
  std::printf("site archive: %zu entries, %.1f MiB extracted from %.1f MiB encrypted\n", items.Count(), plainBytes / mb,
              cipherBytes / mb);
  std::printf("  TAbZipKit     %7.1f ms  %7.1f MiB/s\n", ours * 1e3, plainBytes / mb / ours);
  std::printf("  libzip        %7.1f ms  %7.1f MiB/s\n", libzip * 1e3, plainBytes / mb / libzip);
  std::printf("  decrypt only  %7.1f ms  %7.1f MiB/s\n", floor * 1e3, plainBytes / mb / floor);
  std::printf("  libzip / TAbZipKit time: %.2fx (goal >= 1.30)\n", libzip / ours);
  std::printf("  TAbZipKit / decrypt-only time: %.2fx (goal <= 1.15)\n", ours / floor);

  // Opening a 50,000-entry archive.
  std::vector<test::TZipTestEntry> many;
  for (int i = 0; i < 50000; ++i) {
    many.push_back({.Name = "site/section" + std::to_string(i / 100) + "/page" + std::to_string(i) + ".html",
                    .Data = "x",
                    .Method = 0,
                    .Password = kPassword});
  }
  const fs::path manyPath = dir / "many.zip";
  WriteFile(manyPath, test::BuildZip(many));
  const std::string manyPath8 = manyPath.string();
  const double openOurs = BestSeconds([&] {
    TAbZipKit opened;
    opened.SetFileName(manyPath.u16string());
    if (opened.Archive()->ItemList().Count() != 50000) Fail("entry count");
  });
  const double openLibzip = BestSeconds([&] {
    zip_t* opened = zip_open(manyPath8.c_str(), ZIP_RDONLY, &error);
    if (opened == nullptr || zip_get_num_entries(opened, 0) != 50000) Fail("zip_open");
    zip_discard(opened);
  });
  std::printf("open, 50000 entries:\n");
  std::printf("  TAbZipKit     %7.2f ms\n", openOurs * 1e3);
  std::printf("  libzip        %7.2f ms\n", openLibzip * 1e3);
  fs::remove_all(dir);
  return 0;
}
