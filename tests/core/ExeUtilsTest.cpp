// The appended-archive container: appending, and copying the archive back
// out of a running program (through a probe program carrying appended bytes).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "base/Exception.h"
#include "core/ExeUtils.h"
#include "os/ImageHeaders.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

using test::ReadWholeFile;
using test::TScratchDir;
using test::WriteWholeFile;

std::string PatternBytes(size_t size, unsigned seed = 7) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + seed) & 0xFF);
  return bytes;
}

struct TEvents {
  std::vector<int64_t> max;
  std::vector<int64_t> pos;
};

void Watch(TExeUtils& utils, TEvents& events) {
  utils.OnProgressMax = [&events](TExeUtils&, int64_t value) { events.max.push_back(value); };
  utils.OnProgressPos = [&events](TExeUtils&, int64_t value) { events.pos.push_back(value); };
}

TEST(AppendZipToExe, AppendsInBlocksAndReportsProgress) {
  TScratchDir dir;
  struct Case {
    size_t size;
    size_t blocks;
  };
  for (const Case c : {Case{10240 * 3, 3}, Case{10240 * 3 + 1, 4}, Case{5, 1}, Case{0, 0}}) {
    const std::string exe = "MZ-runtime-image";
    const std::string zip = PatternBytes(c.size);
    WriteWholeFile(dir.File(u"app.exe"), exe);
    WriteWholeFile(dir.File(u"site.zip"), zip);
    TExeUtils utils;
    TEvents events;
    Watch(utils, events);
    utils.AppendZipToExe(dir.File(u"site.zip"), dir.File(u"app.exe"));
    EXPECT_TRUE(ReadWholeFile(dir.File(u"app.exe")) == exe + zip) << c.size;
    EXPECT_EQ(events.max, std::vector<int64_t>{static_cast<int64_t>(c.size)});
    ASSERT_EQ(events.pos.size(), c.blocks) << c.size;
    if (c.blocks) {
      EXPECT_EQ(events.pos.back(), static_cast<int64_t>(c.size));
    }
  }
}

TEST(AppendZipToExe, MissingFilesRaiseTheirMessages) {
  TScratchDir dir;
  WriteWholeFile(dir.File(u"site.zip"), "zip");
  try {
    TExeUtils().AppendZipToExe(dir.File(u"site.zip"), dir.File(u"absent.exe"));
    FAIL() << "no error";
  } catch (const EFOpenError& error) {
    EXPECT_EQ(error.Message().rfind(u"Cannot open file \"" + dir.File(u"absent.exe") + u"\". ", 0), 0u);
  }
  EXPECT_THROW(TExeUtils().AppendZipToExe(dir.File(u"absent.zip"), dir.File(u"site.zip")), EFOpenError);
}

// The probe program copies whatever is appended to itself into copy.zip.
std::string RunProbe(const TScratchDir& dir, const std::string& payload, int& exitCode) {
  const auto copy = std::filesystem::path(dir.File(u"copy.zip")).string();
  return test::RunWithAppended(dir, LUMORA_PROBE_PATH, payload, "\"" + copy + "\"", exitCode);
}

TEST(ExtractZipFromExe, CopiesExactlyTheAppendedBytes) {
  struct Case {
    size_t size;
    size_t reads;
  };
  for (const Case c : {Case{10240 * 2, 2}, Case{10240 * 2 + 1, 3}, Case{1, 1}}) {
    TScratchDir dir;
    const std::string payload = PatternBytes(c.size, static_cast<unsigned>(c.size));
    int exitCode = -1;
    const std::string events = RunProbe(dir, payload, exitCode);
    ASSERT_EQ(exitCode, 0) << events;
    const std::string copy = ReadWholeFile(dir.File(u"copy.zip"));
    EXPECT_EQ(copy.size(), payload.size());
    EXPECT_TRUE(copy == payload);
    std::istringstream lines(events);
    std::string word;
    int64_t value = 0;
    std::vector<int64_t> positions;
    ASSERT_TRUE(lines >> word >> value);
    EXPECT_EQ(word, "max");
    EXPECT_EQ(value, static_cast<int64_t>(c.size));
    while (lines >> word >> value) positions.push_back(value);
    ASSERT_EQ(positions.size(), c.reads);
    EXPECT_EQ(positions.back(), static_cast<int64_t>(c.size));
  }
}

TEST(ImageHeaders, TheTestProgramHasNothingAppended) {
  const auto self = std::filesystem::path(LUMORA_PROBE_PATH);
  EXPECT_EQ(ImageEndOfFile(self.u16string()), static_cast<int64_t>(std::filesystem::file_size(self)));
}

TEST(ImageHeaders, ForgedHeadersAreRefusedOrBounded) {
  // A PE header whose section table says 0xFFFFFFF0 + 0x20: the sum wraps
  // as the loader's unsigned 32-bit fields do.
  std::string pe(0x200, '\0');
  pe[0] = 'M';
  pe[1] = 'Z';
  pe[0x3C] = 0x40;
  pe.replace(0x40, 4, std::string("PE\0\0", 4));
  pe[0x44 + 2] = 1;   // one section
  pe[0x44 + 16] = 0;  // no optional header
  const size_t section = 0x44 + 20;
  const uint32_t rawSize = 0x20, rawPointer = 0xFFFFFFF0;
  for (int i = 0; i < 4; ++i) {
    pe[section + 16 + i] = static_cast<char>((rawSize >> (8 * i)) & 0xFF);
    pe[section + 20 + i] = static_cast<char>((rawPointer >> (8 * i)) & 0xFF);
  }
  const auto reader = [](const std::string& bytes) {
    return [&bytes](uint64_t offset, void* out, size_t count) {
      if (offset + count > bytes.size()) return false;
      std::memcpy(out, bytes.data() + offset, count);
      return true;
    };
  };
  EXPECT_EQ(PeImageEnd(reader(pe)), 0x10);
  const std::string truncatedElf(
      "\x7F"
      "ELF\x02\x01",
      6);
  EXPECT_EQ(ElfImageEnd(reader(truncatedElf)), -1);
  EXPECT_EQ(PeImageEnd(reader(truncatedElf)), -1);
  EXPECT_EQ(ElfImageEnd(reader(pe)), -1);
}

}  // namespace
}  // namespace lumora
