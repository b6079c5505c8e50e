// What a program built on libzip does to check a site archive: open it,
// read every entry's data to its end with the archive password and let
// libzip compare the CRC-32 of what it decrypted and inflated with the one
// the entry declares (zip_fread fails on a mismatch). The counterpart of
// "lumora-pack --verify" in lumora_bench_verify.
//
// Usage: lumora_libzip_verify ARCHIVE PASSWORD
#include <zip.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: lumora_libzip_verify ARCHIVE PASSWORD\n");
    return 2;
  }
  int error = 0;
  zip_t* archive = zip_open(argv[1], ZIP_RDONLY, &error);
  if (archive == nullptr) {
    std::fprintf(stderr, "cannot open %s (libzip error %d)\n", argv[1], error);
    return 1;
  }
  zip_set_default_password(archive, argv[2]);
  std::vector<char> buffer(256 * 1024);
  const zip_int64_t count = zip_get_num_entries(archive, 0);
  zip_int64_t failed = 0;
  zip_uint64_t bytes = 0;
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
    zip_int64_t got = -1;
    if (file != nullptr) {
      while ((got = zip_fread(file, buffer.data(), buffer.size())) > 0) {
        bytes += static_cast<zip_uint64_t>(got);
      }
    }
    if (got < 0) {
      std::fprintf(stderr, "FAILED %s: %s\n", zip_get_name(archive, static_cast<zip_uint64_t>(i), 0),
                   file != nullptr ? zip_file_strerror(file) : zip_strerror(archive));
      ++failed;
    }
    if (file != nullptr) zip_fclose(file);
  }
  zip_discard(archive);
  std::printf("%lld entries, %llu bytes, %lld failed\n", static_cast<long long>(count),
              static_cast<unsigned long long>(bytes), static_cast<long long>(failed));
  return failed == 0 ? 0 : 1;
}
