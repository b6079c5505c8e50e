// An entry read as it is asked for: any range of a stored, deflated or
// encrypted entry gives the entry's bytes (checked against an archive
// Python's zipfile wrote too), a stored entry's range reads only its own
// bytes from the archive, and damaged data raise as an extraction does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "ZipTestKit.h"
#include "base/Exception.h"
#include "core/zip/ZipEntryStream.h"
#include "core/zip/ZipErrors.h"

namespace lumora::test {
namespace {

// Incompressible bytes with stretches of text between them, so that a
// Deflate stream holds both stored and compressed blocks.
std::string EntryData(size_t size) {
  std::mt19937 random(7);
  std::string data;
  while (data.size() < size) {
    for (int i = 0; i < 5000; ++i) data.push_back(static_cast<char>(random()));
    for (int i = 0; i < 300; ++i) data += "line " + std::to_string(i) + "\n";
  }
  data.resize(size);
  return data;
}

// The archive's bytes, counting what is read of them.
class TCountingStream final : public TStream {
 public:
  TCountingStream(const std::string& bytes, uint64_t& counter) : FCounter(counter) {
    FBytes.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  }
  int64_t Read(void* buffer, int64_t count) override {
    const int64_t n = FBytes.Read(buffer, count);
    FCounter += static_cast<uint64_t>(n);
    return n;
  }
  int64_t Write(const void*, int64_t) override { return 0; }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override { return FBytes.Seek(offset, origin); }
  int64_t Size() override { return FBytes.Size(); }
  void SetSize(int64_t) override {}

 private:
  TMemoryStream FBytes;
  uint64_t& FCounter;
};

std::string ReadAt(TStream& stream, uint64_t offset, size_t count) {
  std::string bytes(count, '\0');
  stream.SetPosition(static_cast<int64_t>(offset));
  size_t done = 0;
  while (done < count) {
    const int64_t n = stream.Read(bytes.data() + done, static_cast<int64_t>(count - done));
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  bytes.resize(done);
  return bytes;
}

// Ranges in an order that goes forward, back to the start, and to the end.
void ExpectRanges(TStream& stream, const std::string& data, const std::string& label) {
  const size_t size = data.size();
  const std::pair<uint64_t, size_t> ranges[] = {{size / 2, 1000}, {10, 10},          {size - 5, 5}, {size - 5, 100},
                                                {0, 1},           {size / 3, 70000}, {size, 10}};
  for (const auto& [offset, count] : ranges) {
    const std::string expected = offset >= size ? "" : data.substr(offset, count);
    EXPECT_EQ(ReadAt(stream, offset, count), expected) << label << " at " << offset;
  }
  // The whole entry in uneven pieces, in order.
  stream.SetPosition(0);
  std::string all;
  char piece[777];
  for (int64_t n; (n = stream.Read(piece, sizeof piece)) > 0;) all.append(piece, static_cast<size_t>(n));
  EXPECT_TRUE(all == data) << label << ": read whole, " << all.size() << " of " << size << " bytes";
}

TEST(ZipEntryStream, EveryRangeOfEveryKindOfEntry) {
  const std::string data = EntryData(300000);
  struct TCase {
    const char* Kind;
    uint16_t Method;
    const char* Password;
  };
  for (const TCase& c : {TCase{"stored", 0, ""}, TCase{"deflated", 8, ""}, TCase{"stored, encrypted", 0, "pw"},
                         TCase{"deflated, encrypted", 8, "pw"}}) {
    TZipTestKit zip(BuildZip({{.Name = "a.bin", .Data = data, .Method = c.Method, .Password = c.Password}}));
    const std::unique_ptr<TStream> stream = zip.Kit.OpenEntryStream(zip.Kit.FindFile(u"a.bin"));
    ASSERT_TRUE(stream) << c.Kind;
    EXPECT_EQ(stream->Size(), static_cast<int64_t>(data.size())) << c.Kind;
    ExpectRanges(*stream, data, c.Kind);
  }
}

TEST(ZipEntryStream, RangesOfAnArchiveWrittenByPythonsZipfile) {
  if (std::system("command -v python3 >/dev/null 2>&1") != 0) GTEST_SKIP() << "python3 is not installed";
  TScratchDir dir;
  const std::string data = EntryData(1500000);
  WriteWholeFile(dir.File(u"big.bin"), data);
  const std::string script =
      "import zipfile\n"
      "with zipfile.ZipFile('python.zip', 'w') as z:\n"
      "    z.write('big.bin', 'deflated.bin', compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)\n"
      "    z.write('big.bin', 'stored.bin', compress_type=zipfile.ZIP_STORED)\n";
  WriteWholeFile(dir.File(u"make.py"), script);
  ASSERT_EQ(std::system(("cd '" + ToUtf8(dir.Path()) + "' && python3 make.py").c_str()), 0);
  TAbZipKit kit;
  kit.SetFileName(dir.File(u"python.zip"));
  for (const char16_t* name : {u"deflated.bin", u"stored.bin"}) {
    const std::unique_ptr<TStream> stream = kit.OpenEntryStream(kit.FindFile(name));
    ASSERT_TRUE(stream);
    ExpectRanges(*stream, data, ToUtf8(name));
  }
}

// A stored entry's range is read where it lies: the local header and the
// range's own bytes, not the entry before them.
TEST(ZipEntryStream, AStoredRangeReadsOnlyItsOwnBytes) {
  const std::string data = EntryData(4000000);
  const std::string archive = BuildZip({{.Name = "big.bin", .Data = data, .Method = 0}});
  TZipTestKit zip(archive);
  uint64_t read = 0;
  TZipEntryStream stream([&] { return std::make_unique<TCountingStream>(archive, read); },
                         zip.Kit.Archive()->ItemList()[0], "");
  EXPECT_EQ(ReadAt(stream, 3500000, 10), data.substr(3500000, 10));
  EXPECT_LE(read, 30u + 7u + 10u);
  // And a deflated one only up to the range's end, whatever follows.
  const std::string packed = BuildZip({{.Name = "big.bin", .Data = data, .Method = 8}});
  TZipTestKit packedZip(packed);
  read = 0;
  TZipEntryStream inflating([&] { return std::make_unique<TCountingStream>(packed, read); },
                            packedZip.Kit.Archive()->ItemList()[0], "");
  EXPECT_EQ(ReadAt(inflating, 100000, 10), data.substr(100000, 10));
  EXPECT_LT(read, 300000u) << "of " << packed.size();
}

// An encrypted stored entry (media, as the packer writes them) can only be
// decrypted from its start; the streams over it share the points they
// passed, so that a later range starts decrypting near it.
TEST(ZipEntryStream, LaterRangesOfAnEncryptedStoredEntryStartNearThem) {
  const std::string data = EntryData(6000000);
  const std::string archive = BuildZip({{.Name = "big.bin", .Data = data, .Method = 0, .Password = "pw"}});
  TZipTestKit zip(archive);
  const auto points = std::make_shared<TZipSeekPoints>();
  uint64_t read = 0;
  auto open = [&] {
    return std::make_unique<TZipEntryStream>([&] { return std::make_unique<TCountingStream>(archive, read); },
                                             zip.Kit.Archive()->ItemList()[0], "pw", points);
  };
  const std::unique_ptr<TZipEntryStream> first = open();
  EXPECT_EQ(ReadAt(*first, 5000000, 10), data.substr(5000000, 10));
  EXPECT_GE(read, 5000000u);
  // Other streams, other ranges: just after the first, before it, at the
  // start; and far after, from the last point the streams passed.
  const std::pair<uint64_t, uint64_t> ranges[] = {{5200000, TZipSeekPoints::kSpacing + 200000},
                                                  {3300000, TZipSeekPoints::kSpacing + 200000},
                                                  {100, 200000},
                                                  {5999990, 2 * TZipSeekPoints::kSpacing}};
  for (const auto& [offset, most] : ranges) {
    read = 0;
    const std::unique_ptr<TZipEntryStream> later = open();
    EXPECT_EQ(ReadAt(*later, offset, 10), data.substr(offset, 10)) << offset;
    EXPECT_LT(read, most) << offset;
  }
  // The same stream too, going forward past a point.
  read = 0;
  EXPECT_EQ(ReadAt(*first, 5900000, 10), data.substr(5900000, 10));
  EXPECT_LT(read, TZipSeekPoints::kSpacing + 200000u);
  // Read whole in order, the CRC still holds.
  TZipEntryStream whole([&] { return std::make_unique<TCountingStream>(archive, read); },
                        zip.Kit.Archive()->ItemList()[0], "pw", points);
  EXPECT_TRUE(ReadAt(whole, 0, data.size()) == data);
}

TEST(ZipEntryStream, DamagedEntriesRaiseAsAnExtractionDoes) {
  const std::string data = EntryData(200000);
  struct TCase {
    const char* Fault;
    TZipTestEntry Entry;
    std::string Password;
    uint64_t Offset;  // a range from here to the end
    const char* Message;
  };
  const TCase cases[] = {
      {"wrong CRC, read whole", {.Name = "a", .Data = data, .Method = 8, .Crc = 1}, "", 0, "Failed CRC Check"},
      {"wrong CRC, from the middle", {.Name = "a", .Data = data, .Method = 8, .Crc = 1}, "", 1000, "Failed CRC Check"},
      {"declared larger than the data",
       {.Name = "a", .Data = data, .Method = 8, .DeclaredSize = data.size() + 10},
       "",
       150000,
       "data ends early"},
      {"wrong password", {.Name = "a", .Data = data, .Method = 8, .Password = "pw"}, "other", 5, "invalid password"},
      {"unknown method", {.Name = "a", .Data = data, .Method = 12}, "", 0, "unsupported compression method"},
  };
  for (const TCase& c : cases) {
    TZipTestKit zip(BuildZip({c.Entry}), c.Password);
    const std::unique_ptr<TStream> stream = zip.Kit.OpenEntryStream(0);
    try {
      ReadAt(*stream, c.Offset, data.size() + 10);
      ADD_FAILURE() << c.Fault << ": no error";
    } catch (const Exception& error) {
      EXPECT_NE(std::string(error.what()).find(c.Message), std::string::npos) << c.Fault << ": " << error.what();
    }
  }
  // A range that stops short of the end never sees the whole entry: no
  // CRC to check, the bytes are served.
  TZipTestKit zip(BuildZip({{.Name = "a", .Data = data, .Method = 8, .Crc = 1}}));
  EXPECT_EQ(ReadAt(*zip.Kit.OpenEntryStream(0), 10, 10), data.substr(10, 10));
}

TEST(ZipEntryStream, GettingToARangeStopsWhenTheReaderGivesUp) {
  const std::string data = EntryData(3000000);
  TZipTestKit zip(BuildZip({{.Name = "a", .Data = data, .Method = 8}}));
  const std::unique_ptr<TStream> stream = zip.Kit.OpenEntryStream(0);
  int asked = 0;
  static_cast<TZipEntryStream&>(*stream).SetCancelled([&] { return ++asked == 3; });
  stream->SetPosition(2900000);
  char byte = 0;
  EXPECT_THROW(stream->Read(&byte, 1), EStreamError);
  EXPECT_EQ(asked, 3);
  // Not cancelled any more: the same stream reads on.
  static_cast<TZipEntryStream&>(*stream).SetCancelled(nullptr);
  EXPECT_EQ(ReadAt(*stream, 2900000, 4), data.substr(2900000, 4));
}

}  // namespace
}  // namespace lumora::test
