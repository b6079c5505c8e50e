// What the entry encoder decides before it compresses: which files are
// already compressed, and when Deflate is worth trying at all.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "core/ExeHtmlSite.h"
#include "core/zip/PkwareDecryptor.h"
#include "pack/CompressedFormats.h"
#include "pack/EntryEncoder.h"

namespace lumora {
namespace {

std::string RandomBytes(size_t count, uint32_t seed) {
  std::mt19937 random(seed);
  std::string bytes(count, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

std::string Text(size_t count) {
  std::string text;
  for (int i = 0; text.size() < count; ++i) text += "<p>paragraph " + std::to_string(i) + "</p>\n";
  text.resize(count);
  return text;
}

bool Recognizes(const std::string& start) {
  return TCompressedFormats::Recognizes({reinterpret_cast<const uint8_t*>(start.data()), start.size()});
}

TEST(CompressedFormatsTest, KnowsTheCompressedFormatsByTheirFirstBytes) {
  using namespace std::string_literals;
  const struct {
    const char* Kind;
    std::string Start;
    bool Compressed;
  } cases[] = {
      {"JPEG", "\xFF\xD8\xFF\xE0\0\x10JFIF"s, true},
      {"PNG", "\x89PNG\r\n\x1A\n\0\0\0\rIHDR"s, true},
      {"WebP", "RIFF\x10\0\0\0WEBPVP8 "s, true},
      {"WAVE is not WebP", "RIFF\x10\0\0\0WAVEfmt "s, false},
      {"MP3 with a tag", "ID3\x04\0\0\0\0\0\0"s, true},
      {"MP3 frame", "\xFF\xFB\x90\x64"s, true},
      {"UTF-16 text, not an MP3 frame", "\xFF\xFEh\0t\0m\0l\0"s, false},
      {"MP4", "\0\0\0 ftypisom"s, true},
      {"WebM", "\x1A\x45\xDF\xA3\x9F\x42\x86\x81"s, true},
      {"WOFF2", "wOF2\0\1\0\0"s, true},
      {"ZIP", "PK\x03\x04\x14\0"s, true},
      {"GZIP", "\x1F\x8B\x08\0"s, true},
      {"HTML", "<!DOCTYPE html>"s, false},
      {"empty", ""s, false},
      {"a lone JPEG marker byte", "\xFF"s, false},
  };
  for (const auto& c : cases) EXPECT_EQ(Recognizes(c.Start), c.Compressed) << c.Kind;
}

// Records what the encoder hands on.
class TRecordingSink final : public TEntrySink {
 public:
  void Begin(const TEntryHead& head) override { Heads.push_back(head); }
  void Data(const uint8_t*, size_t count) override { Bytes += count; }
  void Restart(const TEntryHead& head) override {
    Heads.push_back(head);
    Bytes = 0;
  }
  std::vector<TEntryHead> Heads;
  size_t Bytes = 0;
};

TRecordingSink Encode(const std::string& content, int level = TEntryEncoder::kDefaultLevel) {
  TEntryEncoder encoder(TExeHtmlSite::kArchivePassword, level);
  TMemoryStream stream;
  stream.WriteBuffer(content.data(), static_cast<int64_t>(content.size()));
  TRecordingSink sink;
  encoder.Encode("entry", stream, sink, nullptr);
  return sink;
}

// The methods chosen first and, after a restart, finally.
std::vector<uint16_t> Methods(const TRecordingSink& sink) {
  std::vector<uint16_t> methods;
  for (const TEntryHead& head : sink.Heads) methods.push_back(head.Method);
  return methods;
}

TEST(EntryEncoderTest, ChoosesTheMethodWithoutCompressingLargeFilesInVain) {
  const std::string block(TEntryEncoder::kBlockSize, '\0');
  const std::string jpeg = "\xFF\xD8\xFF\xE0";
  const struct {
    const char* Kind;
    std::string Content;
    std::vector<uint16_t> Methods;
  } cases[] = {
      {"text", Text(3000), {kZipMethodDeflated}},
      {"large text", Text(5 * block.size()), {kZipMethodDeflated}},
      {"empty", "", {kZipMethodStored}},
      // A small file is its own trial: Deflate is tried and given up.
      {"small random", RandomBytes(20000, 1), {kZipMethodDeflated, kZipMethodStored}},
      // A large one is judged by its first block.
      {"large random", RandomBytes(3 * block.size(), 2), {kZipMethodStored}},
      {"large, random first block", RandomBytes(block.size(), 3) + Text(3 * block.size()), {kZipMethodStored}},
      {"large, text first block", Text(block.size()) + RandomBytes(block.size(), 4), {kZipMethodDeflated}},
      // A known format is stored even when it would compress.
      {"JPEG signature", jpeg + Text(3000), {kZipMethodStored}},
  };
  for (const auto& c : cases) EXPECT_EQ(Methods(Encode(c.Content)), c.Methods) << c.Kind;
}

TEST(EntryEncoderTest, LevelSetsTheMethodAndItsFlags) {
  const std::string text = Text(20000);
  const struct {
    int Level;
    uint16_t Method;
    uint16_t Flags;
  } cases[] = {
      {0, kZipMethodStored, 0},     {1, kZipMethodDeflated, 0x6}, {2, kZipMethodDeflated, 0x4},
      {6, kZipMethodDeflated, 0x0}, {8, kZipMethodDeflated, 0x2}, {9, kZipMethodDeflated, 0x2},
  };
  for (const auto& c : cases) {
    const TRecordingSink sink = Encode(text, c.Level);
    ASSERT_EQ(sink.Heads.size(), 1u) << c.Level;
    EXPECT_EQ(sink.Heads[0].Method, c.Method) << c.Level;
    EXPECT_EQ(sink.Heads[0].LevelFlags, c.Flags) << c.Level;
    EXPECT_EQ((sink.Bytes < text.size()), (c.Level > 0)) << c.Level;
  }
}

// Stored entries are encrypted and checksummed in one loop, the checksum
// running ahead over bytes not yet encrypted: at every length, and carried
// across calls, it must give what encrypting and zlib's crc32 give apart.
TEST(PkwareKeysTest, EncryptingWhileChecksummingGivesWhatEachGivesAlone) {
  for (const size_t count : {0, 1, 3, 4, 5, 7, 8, 1000, 65537}) {
    const std::string plain = RandomBytes(count, static_cast<uint32_t>(count));
    std::vector<uint8_t> together(plain.begin(), plain.end());
    std::vector<uint8_t> apart = together;
    TPkwareKeys both(TExeHtmlSite::kArchivePassword);
    TPkwareKeys alone(TExeHtmlSite::kArchivePassword);
    // A first call carries the keys and the checksum into the second.
    uint32_t crc = 0;
    const size_t half = count / 2;
    both.EncryptAndChecksum(together.data(), half, crc);
    both.EncryptAndChecksum(together.data() + half, count - half, crc);
    alone.Encrypt(apart.data(), count);
    EXPECT_EQ(together, apart) << count;
    EXPECT_EQ(crc, crc32(0, reinterpret_cast<const Bytef*>(plain.data()), static_cast<uInt>(plain.size()))) << count;
  }
}

}  // namespace
}  // namespace lumora
