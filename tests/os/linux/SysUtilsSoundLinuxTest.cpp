// Sounds from memory on Linux. The audio sink is replaced, through
// LUMORA_AUDIO_SINK, by one that writes what it is given to a WAVE file at
// the pace of the clock, so a test sees exactly what played and for how
// long.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "base/Stream.h"
#include "os/SysUtils.h"
#include "support/linux/SysUtilsTestSupport.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using test::ReadWholeFile;
using test::TScopedEnv;
using test::TScratchDir;
using test::WaitUntil;

constexpr uint32_t kRate = 8000;
constexpr size_t kWaveHeader = 44;

void Put16(std::string& out, uint16_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}

void Put32(std::string& out, uint32_t value) {
  Put16(out, static_cast<uint16_t>(value & 0xFFFF));
  Put16(out, static_cast<uint16_t>(value >> 16));
}

// Mono 16-bit samples of a pattern that never repeats within a sound, so a
// dropped, doubled or shifted piece shows in the output.
std::string Samples(size_t count, uint16_t seed) {
  std::string data;
  for (size_t i = 0; i < count; ++i) Put16(data, static_cast<uint16_t>(seed + i * 37 + i / 7));
  return data;
}

std::string Wave(const std::string& samples) {
  std::string wave = "RIFF";
  Put32(wave, static_cast<uint32_t>(36 + samples.size()));
  wave += "WAVEfmt ";
  Put32(wave, 16);
  Put16(wave, 1);  // PCM
  Put16(wave, 1);  // mono
  Put32(wave, kRate);
  Put32(wave, kRate * 2);
  Put16(wave, 2);
  Put16(wave, 16);
  wave += "data";
  Put32(wave, static_cast<uint32_t>(samples.size()));
  return wave + samples;
}

TMemoryStream StreamOf(const std::string& bytes) {
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  return stream;
}

// What a captured WAVE file holds after its 44-byte header.
std::string Played(const std::string& path) {
  const std::string file = ReadWholeFile(FromUtf8(path));
  return file.size() > kWaveHeader ? file.substr(kWaveHeader) : std::string();
}

int64_t SizeOf(const std::string& path) {
  std::error_code error;
  const auto size = fs::file_size(path, error);
  return error ? -1 : static_cast<int64_t>(size);
}

// Captures at the pace of the clock (identity sync=true) into a WAVE file,
// written unbuffered so its size shows the progress.
std::string CaptureSink(const std::string& path) {
  return "identity sync=true ! wavenc ! filesink buffer-mode=unbuffered location=" + path;
}

class SysUtilsSoundLinuxTest : public ::testing::Test {
 protected:
  void TearDown() override { TSysUtils::StopCurrentSound(); }
  std::string Out(const char* name) const { return ToUtf8(FScratch.File(FromAscii(name))); }

  TScratchDir FScratch;
};

TEST_F(SysUtilsSoundLinuxTest, PlaysTheWaveOnceExactly) {
  const std::string samples = Samples(kRate / 4, 1);  // a quarter second
  const TMemoryStream stream = StreamOf(Wave(samples));
  const std::string out = Out("once.wav");
  TScopedEnv sink("LUMORA_AUDIO_SINK", CaptureSink(out));

  ASSERT_TRUE(TSysUtils::PlaySoundFromStream(stream, false));
  // At the end of the stream wavenc writes the final sizes into the
  // header; the RIFF size is then no longer a placeholder.
  ASSERT_TRUE(WaitUntil([&] {
    const std::string file = ReadWholeFile(FromUtf8(out));
    return file.size() >= kWaveHeader && std::memcmp(file.data() + 40, "\0\0\0\0", 4) != 0 &&
           Played(out).substr(0, samples.size()) == samples;
  }));
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  const std::string played = Played(out);
  // Anything after the samples is wavenc's own trailing chunk, never a
  // second pass.
  EXPECT_TRUE(played.substr(0, samples.size()) == samples);
  const std::string after = played.substr(samples.size());
  EXPECT_TRUE(after.empty() || after.rfind("LIST", 0) == 0) << after.size() << " bytes more";
  EXPECT_EQ(ReadWholeFile(FromUtf8(out)).substr(40, 4),
            std::string(reinterpret_cast<const char*>(stream.Memory()) + 40, 4));
}

TEST_F(SysUtilsSoundLinuxTest, LoopsWithoutAGapUntilStopped) {
  const std::string samples = Samples(kRate / 10, 2);  // a tenth of a second
  const TMemoryStream stream = StreamOf(Wave(samples));
  const std::string out = Out("loop.wav");
  TScopedEnv sink("LUMORA_AUDIO_SINK", CaptureSink(out));

  ASSERT_TRUE(TSysUtils::PlaySoundFromStream(stream, true));
  const size_t passes = 4;
  ASSERT_TRUE(WaitUntil([&] { return Played(out).size() >= passes * samples.size(); }));
  std::string repeated;
  for (size_t i = 0; i < passes; ++i) repeated += samples;
  EXPECT_TRUE(Played(out).substr(0, repeated.size()) == repeated);

  EXPECT_TRUE(TSysUtils::StopCurrentSound());
  const int64_t stoppedAt = SizeOf(out);
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  EXPECT_EQ(SizeOf(out), stoppedAt);
}

TEST_F(SysUtilsSoundLinuxTest, ANewSoundReplacesTheLoopingOne) {
  const TMemoryStream first = StreamOf(Wave(Samples(kRate / 10, 3)));
  const std::string second = Samples(kRate / 5, 4);
  const TMemoryStream secondStream = StreamOf(Wave(second));
  const std::string firstOut = Out("first.wav"), secondOut = Out("second.wav");
  {
    TScopedEnv sink("LUMORA_AUDIO_SINK", CaptureSink(firstOut));
    ASSERT_TRUE(TSysUtils::PlaySoundFromStream(first, true));
    ASSERT_TRUE(WaitUntil([&] { return Played(firstOut).size() > 2 * kRate / 10 * 2; }));
  }
  TScopedEnv sink("LUMORA_AUDIO_SINK", CaptureSink(secondOut));
  ASSERT_TRUE(TSysUtils::PlaySoundFromStream(secondStream, false));
  const int64_t firstStoppedAt = SizeOf(firstOut);
  ASSERT_TRUE(WaitUntil([&] { return Played(secondOut).substr(0, second.size()) == second; }));
  EXPECT_EQ(SizeOf(firstOut), firstStoppedAt);
}

TEST_F(SysUtilsSoundLinuxTest, BytesThatAreNoWaveDoNotPlay) {
  TScopedEnv sink("LUMORA_AUDIO_SINK", "fakesink sync=true");
  const TMemoryStream empty;
  const TMemoryStream garbage = StreamOf(std::string(4000, '\x5A'));
  std::string cut = Wave(Samples(100, 5)).substr(0, 30);  // ends inside the header
  const TMemoryStream truncated = StreamOf(cut);
  EXPECT_FALSE(TSysUtils::PlaySoundFromStream(empty, false));
  EXPECT_FALSE(TSysUtils::PlaySoundFromStream(garbage, true));
  EXPECT_FALSE(TSysUtils::PlaySoundFromStream(truncated, false));
  // The failures left nothing behind that a stop would trip over.
  EXPECT_TRUE(TSysUtils::StopCurrentSound());
  const TMemoryStream good = StreamOf(Wave(Samples(800, 6)));
  EXPECT_TRUE(TSysUtils::PlaySoundFromStream(good, true));
}

TEST_F(SysUtilsSoundLinuxTest, ASinkThatDoesNotParseIsNoSound) {
  TScopedEnv sink("LUMORA_AUDIO_SINK", "no-such-element-anywhere");
  const TMemoryStream good = StreamOf(Wave(Samples(800, 7)));
  EXPECT_FALSE(TSysUtils::PlaySoundFromStream(good, false));
}

}  // namespace
}  // namespace lumora
