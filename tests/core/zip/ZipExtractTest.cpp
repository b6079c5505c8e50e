// Extracting entries: the layers of the read path (data window, PKWARE
// decryption, Deflate, output with its CRC check) and what each failure
// leaves in the stream.
#include <gtest/gtest.h>

#include <random>

#include "ZipTestKit.h"
#include "core/zip/ZipErrors.h"
#include "os/File.h"

namespace lumora::test {
namespace {

std::string Text(size_t size) {
  std::string text;
  for (size_t i = 0; text.size() < size; ++i) text += "<p>line " + std::to_string(i) + " of the page</p>\n";
  text.resize(size);
  return text;
}

std::string Noise(size_t size, unsigned seed = 7) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (auto& b : bytes) b = static_cast<char>(random());
  return bytes;
}

TEST(ZipExtract, EntriesComeOutWhole) {
  struct Case {
    const char* what;
    TZipTestEntry entry;
  };
  const Case cases[] = {
      {"deflated, encrypted", {.Data = Text(300000), .Password = "pw"}},
      {"stored, encrypted", {.Data = Noise(300000), .Method = 0, .Password = "pw"}},
      {"deflated, plain", {.Data = Text(5000)}},
      {"stored, plain", {.Data = Noise(5000), .Method = 0}},
      {"incompressible, deflated, encrypted", {.Data = Noise(400000), .Password = "pw"}},
      {"one byte", {.Data = "x", .Password = "pw"}},
      // A streaming writer's entry: the password check uses the time.
      {"data descriptor", {.Data = Text(20000), .Password = "pw", .DataDescriptor = true}},
  };
  for (const auto& c : cases) {
    auto entry = c.entry;
    entry.Name = "e";
    TZipTestKit zip(BuildZip({entry}));
    EXPECT_EQ(zip.Extract(u"e"), entry.Data) << c.what;
    EXPECT_TRUE(zip.Failures.empty()) << c.what << ": " << (zip.Failures.empty() ? "" : zip.Failures[0]);
  }
}

TEST(ZipExtract, DataDescriptorEntryIsCheckedAgainstTheTimeNotTheCrc) {
  const std::string data = "checked against the time";
  ASSERT_NE(Crc32(data) >> 24, 0x7Du);  // ModTime 0x7D1C: the two bytes differ
  TZipTestEntry entry{.Name = "e", .Data = data, .Password = "pw", .DataDescriptor = true};
  TZipTestKit zip(BuildZip({entry}));
  EXPECT_EQ(zip.Extract(u"e"), data);

  // The same bytes without the flag are checked against the CRC and fail.
  std::string archive = BuildZip({entry});
  for (size_t at = 0; (at = archive.find("PK\x03\x04", at)) != std::string::npos; ++at) {
    archive[at + 6] &= ~8;
  }
  TZipTestKit unflagged(archive);
  EXPECT_EQ(unflagged.Extract(u"e"), "");
  EXPECT_EQ(unflagged.Failures, std::vector<std::string>{"Cannot extract file - invalid password"});
}

TEST(ZipExtract, WrongPasswordIsCheckedFourTimesAndWritesNothing) {
  TZipTestKit zip(BuildZip({{.Name = "e", .Data = Text(1000), .Password = "right"}}), "wrong");
  int asked = 0;
  zip.Kit.SetOnNeedPassword([&](TAbZipKit&, std::string&) { ++asked; });
  TMemoryStream out;
  zip.Kit.ExtractToStream(u"e", &out);
  EXPECT_EQ(out.Size(), 0);
  EXPECT_EQ(asked, 3);
  EXPECT_EQ(zip.Failures, std::vector<std::string>{"Cannot extract file - invalid password"});

  // A password given on the second request is used.
  asked = 0;
  zip.Failures.clear();
  zip.Kit.SetOnNeedPassword([&](TAbZipKit&, std::string& password) {
    if (++asked == 2) password = "right";
  });
  EXPECT_EQ(zip.Extract(u"e"), Text(1000));
  EXPECT_EQ(asked, 2);
  EXPECT_TRUE(zip.Failures.empty());
}

TEST(ZipExtract, EmptyPasswordFailsWithoutAsking) {
  TZipTestKit zip(BuildZip({{.Name = "e", .Data = "x", .Password = "pw"}}), "");
  EXPECT_EQ(zip.Extract(u"e"), "");
  EXPECT_EQ(zip.Failures, std::vector<std::string>{"Cannot extract file - invalid password"});
}

TEST(ZipExtract, FailuresAreReportedAndKeepWhatWasWritten) {
  const std::string text = Text(200000);
  const std::string deflated = DeflateRaw(text);
  TBitWriter reservedBlock;
  reservedBlock.Bits(1, 1);  // final
  reservedBlock.Bits(3, 2);  // block type 3 does not exist
  TBitWriter farBack;
  farBack.Bits(1, 1);
  farBack.Bits(1, 2);     // fixed Huffman codes
  farBack.Bits(0x40, 7);  // length code 257 (0000001, sent high bit first)
  farBack.Bits(0, 5);     // distance 1, before any output
  struct Case {
    const char* what;
    TZipTestEntry entry;
    std::string failure;
    std::string kept;
  };
  const Case cases[] = {
      {"CRC mismatch", {.Data = text, .Password = "pw", .Crc = 1234}, "Failed CRC Check", text},
      {"larger than declared",
       {.Data = text, .Password = "pw", .DeclaredSize = 1000},
       kAbDataTooLarge,
       text.substr(0, 1000)},
      {"stored, declared smaller than its data",
       {.Data = text, .Method = 0, .Crc = Crc32(text.substr(0, 10)), .DeclaredSize = 10},
       "",
       text.substr(0, 10)},
      {"deflate ending before its declared size",
       {.Data = text, .Password = "pw", .DeclaredSize = text.size() + 1},
       kAbDataEndsEarly,
       text},
      {"deflate declaring more than its data can reach",
       {.Data = "tiny", .Password = "pw", .DeclaredSize = 0xFFFFFFF0},
       kAbDataEndsEarly,
       "tiny"},
      {"deflate cut short",
       {.Data = text, .Password = "pw", .Compressed = deflated.substr(0, deflated.size() / 2)},
       kAbDataEndsEarly,
       ""},
      {"stored cut short",
       {.Data = text, .Method = 0, .Password = "pw", .Compressed = text.substr(0, 150000)},
       kAbDataEndsEarly,
       text.substr(0, 150000)},
      {"reserved block type",
       {.Data = text, .Password = "pw", .Compressed = reservedBlock.Finish()},
       std::string(kAbDeflateDamaged) + " (invalid block type)",
       ""},
      {"distance too far back",
       {.Data = text, .Compressed = farBack.Finish()},
       std::string(kAbDeflateDamaged) + " (invalid distance too far back)",
       ""},
      {"unsupported method",
       {.Data = text, .Method = 12, .Password = "pw", .Compressed = "BZh"},
       "Cannot extract file - unsupported compression method",
       ""},
      {"newer version",
       {.Data = text, .Password = "pw", .VersionNeeded = 64},
       "Cannot extract file - newer version required",
       ""},
  };
  for (const auto& c : cases) {
    auto entry = c.entry;
    entry.Name = "e";
    TZipTestKit zip(BuildZip({entry}));
    const std::string got = zip.Extract(u"e");
    if (c.what == std::string("deflate cut short")) {
      // Whatever decoded before the cut, and only a prefix of the text.
      EXPECT_EQ(got, text.substr(0, got.size())) << c.what;
      EXPECT_LT(got.size(), text.size()) << c.what;
    } else {
      EXPECT_EQ(got, c.kept) << c.what;
    }
    const std::vector<std::string> expected =
        c.failure.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.failure};
    EXPECT_EQ(zip.Failures, expected) << c.what;
  }
}

TEST(ZipExtract, HeaderProblemsAreReported) {
  std::string archive = BuildZip(
      {{.Name = "e", .Data = "data", .Password = "pw"}, {.Name = "f", .Data = "", .Method = 0, .Compressed = "abc"}});
  archive[1] = 'X';  // the first local header's signature
  // f is marked encrypted, but its three bytes cannot hold the 12-byte header.
  const size_t second = archive.rfind(std::string("PK\x01\x02", 4));
  archive[second + 8] |= 1;
  TZipTestKit zip(archive);
  EXPECT_EQ(zip.Extract(u"e"), "");
  // An encrypted entry whose data is shorter than its encryption header.
  EXPECT_EQ(zip.Extract(u"f"), "");
  EXPECT_EQ(zip.Failures, (std::vector<std::string>{"Invalid file - not a PKZip file", kAbDataEndsEarly}));
}

TEST(ZipExtract, NothingHappensForMissingNamesEmptyEntriesAndNoStream) {
  TZipTestKit zip(
      BuildZip({{.Name = "empty", .Data = "", .Password = "pw"}, {.Name = "e", .Data = "x", .Password = "pw"}}));
  TMemoryStream out;
  out.WriteBuffer("abc", 3);
  out.SetPosition(1);
  zip.Kit.ExtractToStream(u"missing", &out);
  zip.Kit.ExtractToStream(u"empty", &out);
  EXPECT_EQ(out.Size(), 3);
  EXPECT_EQ(out.Position(), 1);
  EXPECT_TRUE(zip.Failures.empty());

  zip.Kit.ExtractToStream(u"missing", nullptr);
  EXPECT_TRUE(zip.Failures.empty());
  zip.Kit.ExtractToStream(u"e", nullptr);
  EXPECT_EQ(zip.Failures, std::vector<std::string>{"Invalid Stream"});
}

TEST(ZipExtract, WritesAtTheStreamPositionLikeWrites) {
  const std::string data = Text(50000);
  TZipTestKit zip(BuildZip({{.Name = "e", .Data = data, .Password = "pw"}}));

  // Into a memory stream, over part of what it holds and past its end.
  TMemoryStream out;
  const std::string before(1000, '#');
  out.WriteBuffer(before.data(), static_cast<int64_t>(before.size()));
  out.SetPosition(600);
  zip.Kit.ExtractToStream(u"e", &out);
  EXPECT_EQ(out.Position(), 600 + static_cast<int64_t>(data.size()));
  EXPECT_EQ(std::string(out.Bytes().begin(), out.Bytes().end()), before.substr(0, 600) + data);

  // Into a file stream.
  const String path = zip.Dir.File(u"out.bin");
  {
    TFileStream file(path, TFileAccess::ReadWrite, TFileShare::None, TFileCreation::CreateAlways);
    file.WriteBuffer("head", 4);
    zip.Kit.ExtractToStream(u"e", &file);
  }
  EXPECT_EQ(ReadWholeFile(path), "head" + data);
}

TEST(ZipExtract, HostileDeclaredSizeReservesNoMemory) {
  // Four bytes of data that claim to be nearly 4 GiB.
  TZipTestKit zip(BuildZip({{.Name = "e", .Data = "tiny", .Password = "pw", .DeclaredSize = 0xFFFFFFF0}}));
  TMemoryStream out;
  zip.Kit.ExtractToStream(u"e", &out);
  EXPECT_EQ(std::string(out.Bytes().begin(), out.Bytes().end()), "tiny");
  EXPECT_LT(out.Bytes().capacity(), size_t{1} << 20);
  EXPECT_EQ(zip.Failures, std::vector<std::string>{kAbDataEndsEarly});

  // A small entry that inflates far past what it declares stops there.
  TZipTestKit bomb(
      BuildZip({{.Name = "e", .Data = std::string(50 << 20, '\0'), .Password = "pw", .DeclaredSize = 100}}));
  EXPECT_EQ(bomb.Extract(u"e"), std::string(100, '\0'));
  EXPECT_EQ(bomb.Failures, std::vector<std::string>{kAbDataTooLarge});
}

}  // namespace
}  // namespace lumora::test
