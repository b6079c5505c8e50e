// Icon files: the size cap and validity test applied before any resource is
// touched, the group directory written for them, and the reading of a group
// found in an executable.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "os/IconFile.h"
#include "base/ResourceUpdateError.h"
#include "support/IconFixture.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

using test::PutLe;
using test::TScratchDir;
using test::WriteWholeFile;

struct TEntry {
  uint32_t Offset;
  uint32_t Size;
};

// An icon file header with the given entries, padded with zeros to size.
std::string IconBytes(uint16_t count, std::initializer_list<TEntry> entries, size_t size) {
  std::string bytes;
  PutLe(bytes, 0, 2);
  PutLe(bytes, 1, 2);
  PutLe(bytes, count, 2);
  for (const TEntry& entry : entries) {
    bytes += std::string{16, 16, 0, 0};
    PutLe(bytes, 1, 2);
    PutLe(bytes, 32, 2);
    PutLe(bytes, entry.Size, 4);
    PutLe(bytes, entry.Offset, 4);
  }
  if (bytes.size() < size) bytes.resize(size, '\0');
  return bytes;
}

TEST(IconFileTest, LoadAppliesTheSizeCapAndTheValidityTest) {
  const size_t limit = TIconFile::kMaxSize;
  struct TCase {
    const char* Name;
    std::string Bytes;
    std::optional<std::u16string> Error;
  };
  const std::u16string tooLarge = u"Resource update error: Icon file is too large";
  const std::u16string invalid = u"Resource update error: Icon file is invalid";
  const TCase cases[] = {
      {"exactly the cap", IconBytes(1, {{22, limit - 22}}, limit), std::nullopt},
      {"one byte over the cap", IconBytes(0, {}, limit + 1), tooLarge},
      {"no images", IconBytes(0, {}, 6), std::nullopt},
      {"last image ends at the end", IconBytes(2, {{38, 10}, {48, 4}}, 52), std::nullopt},
      {"last image one byte beyond", IconBytes(2, {{38, 10}, {48, 5}}, 52), invalid},
      {"offset plus size wraps", IconBytes(1, {{22, 0xFFFFFFF0u}}, 64), invalid},
      {"entries beyond the end", IconBytes(2, {{38, 0}}, 37), invalid},
      {"empty file", "", invalid},
      {"five bytes", std::string(5, '\0'), invalid},
      {"an executable", "MZ" + IconBytes(0, {}, 64).substr(2), invalid},
      {"M and Z as 16-bit values", std::string("M\0Z\0", 4) + IconBytes(0, {}, 64).substr(4), invalid},
  };
  TScratchDir dir;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const String path = dir.File(u"test.ico");
    WriteWholeFile(path, c.Bytes);
    if (!c.Error) {
      const std::vector<uint8_t> loaded = TIconFile::Load(path);
      EXPECT_EQ(std::string(loaded.begin(), loaded.end()), c.Bytes);
      continue;
    }
    try {
      TIconFile::Load(path);
      ADD_FAILURE() << "no error";
    } catch (const EResourceUpdateError& error) {
      EXPECT_EQ(error.Message(), *c.Error);
    }
  }
}

TEST(IconFileTest, GroupDirectoryNumbersTheImagesFromOne) {
  // Two entries whose fields differ, so a shifted copy would show.
  std::string file = IconBytes(2, {{38, 3}, {41, 2}}, 43);
  file[6] = 48;      // first entry's width
  file[22 + 2] = 7;  // second entry's colour count
  const std::vector<uint8_t> bytes(file.begin(), file.end());
  ASSERT_TRUE(TIconFile::IsValid(bytes));

  const std::vector<uint8_t> group = TIconFile::GroupDirectory(bytes, 0x1234, 0x0001);
  std::string expected;
  PutLe(expected, 0x1234, 2);
  PutLe(expected, 1, 2);
  PutLe(expected, 2, 2);
  expected += file.substr(6, 12);
  PutLe(expected, 1, 2);
  expected += file.substr(22, 12);
  PutLe(expected, 2, 2);
  EXPECT_EQ(std::string(group.begin(), group.end()), expected);

  const TIconGroupInfo info = TIconFile::ReadGroup(group.data(), group.size());
  EXPECT_EQ(info.Reserved, 0x1234);
  EXPECT_EQ(info.Type, 1);
  EXPECT_EQ(info.ImageIds, (std::vector<uint16_t>{1, 2}));
}

TEST(IconFileTest, ReadGroupNeverReadsPastTheResource) {
  // A group claiming five images but holding one and a half.
  std::string group;
  PutLe(group, 0, 2);
  PutLe(group, 1, 2);
  PutLe(group, 5, 2);
  group += std::string(12, '\0');
  PutLe(group, 9, 2);
  group += std::string(7, '\0');
  const auto* data = reinterpret_cast<const uint8_t*>(group.data());
  EXPECT_EQ(TIconFile::ReadGroup(data, group.size()).ImageIds, std::vector<uint16_t>{9});
  EXPECT_TRUE(TIconFile::ReadGroup(data, 5).ImageIds.empty());
}

}  // namespace
}  // namespace lumora
