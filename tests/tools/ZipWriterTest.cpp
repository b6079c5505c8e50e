// The archive writer, read back by the runtime's own reader and, where they
// are installed, by Info-ZIP unzip, 7-Zip and Python's zipfile.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "base/Exception.h"
#include "core/ExeHtmlSite.h"
#include "core/zip/AbZipKit.h"
#include "core/zip/PkwareDecryptor.h"
#include "core/zip/ZipRecords.h"
#include "pack/EncodePipeline.h"
#include "pack/ZipWriter.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

const std::string kPassword = TExeHtmlSite::kArchivePassword;

struct TEntryData {
  std::string Name;
  std::string Bytes;
};

std::string RandomBytes(size_t count, uint32_t seed) {
  std::mt19937 random(seed);
  std::string bytes(count, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

std::string Repeated(std::string_view piece, size_t times) {
  std::string text;
  for (size_t i = 0; i < times; ++i) text += std::string(piece) + std::to_string(i) + "\n";
  return text;
}

// Something of every kind a site holds: text that compresses, data that
// does not (over one 64 KiB block), an empty file and non-ASCII names.
std::vector<TEntryData> MixedSite() {
  return {
      {"lm-config", "\xEF\xBB\xBF[Lumora]\r\nIndexPage=site/index.html\r\n"},
      {"site/big.txt", Repeated("a line of a large page ", 20000)},
      {"site/empty.txt", ""},
      {"site/index.html", "<html><body>" + Repeated("<p>hello</p>", 50) + "</body></html>"},
      {"site/random.bin", RandomBytes(70000, 7)},
      {"site/\xC3\xBC/na\xC3\xAFve \xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB.txt", "\xC3\xBCn\xC3\xAF"},
  };
}

std::vector<uint8_t> WriteArchive(const std::vector<TEntryData>& entries,
                                  uint64_t zip64Threshold = TZipWriter::kZip64Limit) {
  TMemoryStream archive;
  TZipWriter writer(archive, kPassword, zip64Threshold);
  for (const TEntryData& entry : entries) {
    TMemoryStream content;
    content.WriteBuffer(entry.Bytes.data(), static_cast<int64_t>(entry.Bytes.size()));
    writer.AddEntry(TZipEntryInfo{entry.Name, 0x6000, 0x5A21}, content);
  }
  writer.Finish();
  return archive.Bytes();
}

// The archive opened as the runtime opens it.
class TRuntimeReader {
 public:
  explicit TRuntimeReader(const std::vector<uint8_t>& bytes) {
    auto stream = std::make_unique<TMemoryStream>();
    stream->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    FKit.SetPassword(kPassword);
    FKit.SetOnProcessItemFailure(
        [this](TAbZipKit&, const TAbZipItem& item, TAbProcessType, const std::exception& error) {
          FFailures.push_back(ToUtf8(item.FileName) + ": " + error.what());
        });
    FKit.OpenStream(std::move(stream));
  }

  std::string Extract(const std::string& name) {
    TMemoryStream out;
    FKit.ExtractToStream(FromUtf8(name), &out);
    return std::string(out.Bytes().begin(), out.Bytes().end());
  }
  const TAbArchiveList& Items() const { return FKit.Archive()->ItemList(); }
  const TAbZipDirectoryFileFooter& Footer() const { return FKit.Archive()->Footer(); }
  const std::vector<std::string>& Failures() const { return FFailures; }

 private:
  TAbZipKit FKit;
  std::vector<std::string> FFailures;
};

void ExpectRuntimeReads(const std::vector<uint8_t>& archive, const std::vector<TEntryData>& entries) {
  TRuntimeReader reader(archive);
  ASSERT_EQ(reader.Items().Count(), entries.size());
  for (const TEntryData& entry : entries) {
    EXPECT_EQ(reader.Extract(entry.Name), entry.Bytes) << entry.Name;
  }
  EXPECT_EQ(reader.Failures(), std::vector<std::string>{});
}

#ifndef _WIN32
bool HasTool(const std::string& name) { return std::system(("command -v " + name + " > /dev/null 2>&1").c_str()) == 0; }

std::string Quoted(const String& path) { return "'" + ToUtf8(path) + "'"; }

// Each independent tool found tests the archive and extracts it into a
// folder of its own; every entry must come out byte for byte.
void ExpectToolsExtract(const std::vector<uint8_t>& bytes, const std::vector<TEntryData>& entries) {
  test::TScratchDir scratch;
  const String archive = scratch.File(u"site.zip");
  test::WriteWholeFile(archive, std::string(bytes.begin(), bytes.end()));
  struct TTool {
    std::string Program;
    std::string Command;  // %A archive, %D folder
  };
  const std::string python =
      "import sys, zipfile\n"
      "z = zipfile.ZipFile(sys.argv[1])\n"
      "z.setpassword(sys.argv[2].encode())\n"
      "sys.exit(1 if z.testzip() else z.extractall(sys.argv[3]))\n";
  test::WriteWholeFile(scratch.File(u"extract.py"), python);
  const std::vector<TTool> tools = {
      {"unzip", "unzip -tqq -P '" + kPassword + "' %A && unzip -qq -P '" + kPassword + "' %A -d %D"},
      {"7z", "7z t -p'" + kPassword + "' %A > /dev/null && 7z x -y -p'" + kPassword + "' -o%D %A > /dev/null"},
      {"python3", "python3 " + Quoted(scratch.File(u"extract.py")) + " %A '" + kPassword + "' %D"},
  };
  for (const TTool& tool : tools) {
    if (!HasTool(tool.Program)) continue;
    const String folder = scratch.File(FromUtf8(tool.Program));
    std::string command = tool.Command;
    for (size_t at; (at = command.find("%A")) != std::string::npos;) command.replace(at, 2, Quoted(archive));
    for (size_t at; (at = command.find("%D")) != std::string::npos;) command.replace(at, 2, Quoted(folder));
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (const TEntryData& entry : entries) {
      const auto path = std::filesystem::path(folder) / std::filesystem::u8path(entry.Name);
      EXPECT_EQ(test::ReadWholeFile(path.u16string()), entry.Bytes) << tool.Program << " " << entry.Name;
    }
  }
}
#endif

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t at) { return ReadU32(&bytes[at]); }

// Offsets of every occurrence of a 32-bit signature.
std::vector<size_t> FindSignature(const std::vector<uint8_t>& bytes, uint32_t signature) {
  std::vector<size_t> found;
  for (size_t i = 0; i + 4 <= bytes.size(); ++i) {
    if (U32At(bytes, i) == signature) found.push_back(i);
  }
  return found;
}

TEST(ZipWriterTest, RuntimeReaderGetsEveryEntryBack) {
  const std::vector<TEntryData> entries = MixedSite();
  const std::vector<uint8_t> archive = WriteArchive(entries);
  ExpectRuntimeReads(archive, entries);

  TRuntimeReader reader(archive);
  for (size_t i = 0; i < reader.Items().Count(); ++i) {
    const TAbZipItem& item = reader.Items()[i];
    const std::string name = ToUtf8(item.FileName);
    const uint16_t flags = item.Header.GeneralPurposeBitFlag;
    EXPECT_TRUE(flags & zip::kFlagEncrypted) << name;
    // No data descriptor: the CRC is known before the data is written.
    EXPECT_FALSE(flags & zip::kFlagDataDescriptor) << name;
    EXPECT_EQ((flags & zip::kFlagUtf8) != 0, name.find('\xC3') != std::string::npos) << name;
  }
  // Deflate where it pays, stored where it does not or for nothing at all.
  const auto method = [&](const char* name) {
    return reader.Items()[static_cast<size_t>(reader.Items().Find(FromUtf8(name)))].Header.CompressionMethod;
  };
  EXPECT_EQ(method("site/big.txt"), 8);
  EXPECT_EQ(method("site/index.html"), 8);
  EXPECT_EQ(method("site/random.bin"), 0);
  EXPECT_EQ(method("site/empty.txt"), 0);
}

TEST(ZipWriterTest, PasswordCheckByteIsTheCrcHighByte) {
  const std::string content = "check me";
  const std::vector<uint8_t> archive = WriteArchive({{"a.txt", content}});
  const TAbZipLocalFileHeader local = TAbZipLocalFileHeader::Parse(archive.data());
  const size_t data = zip::kLocalHeaderSize + local.FileNameLength + local.ExtraFieldLength;
  uint8_t header[TPkwareKeys::kHeaderSize];
  std::copy_n(archive.begin() + static_cast<ptrdiff_t>(data), sizeof header, header);
  TPkwareKeys keys(kPassword);
  keys.Decrypt(header, sizeof header);
  EXPECT_EQ(header[11], local.CRC32 >> 24);
  EXPECT_EQ(local.CRC32, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(content.data()),
                                                     static_cast<uInt>(content.size()))));
}

TEST(ZipWriterTest, SameEntriesGiveSameBytes) { EXPECT_EQ(WriteArchive(MixedSite()), WriteArchive(MixedSite())); }

// The encryption headers come from each entry's name and content, so two
// entries never share a key stream, not even with equal content.
TEST(ZipWriterTest, EqualContentUnderOtherNamesIsEncryptedDifferently) {
  const std::string content = Repeated("same", 100);
  const std::vector<uint8_t> archive = WriteArchive({{"a.txt", content}, {"b.txt", content}});
  TRuntimeReader reader(archive);
  const auto data = [&](size_t index) {
    const TAbZipItem& item = reader.Items()[index];
    const size_t at = item.RelativeOffset + zip::kLocalHeaderSize + item.Header.FileNameLength;
    return std::vector<uint8_t>(archive.begin() + static_cast<ptrdiff_t>(at),
                                archive.begin() + static_cast<ptrdiff_t>(at + item.CompressedSize));
  };
  ASSERT_EQ(data(0).size(), data(1).size());
  EXPECT_NE(data(0), data(1));
}

// A stream whose bytes change after the first complete read, like a file
// being edited while it is packed.
class TChangingStream final : public TStream {
 public:
  int64_t Read(void* buffer, int64_t count) override {
    const int64_t n = FData.Read(buffer, count);
    if (n == 0 && !FChanged) {
      FChanged = true;
      FData.SetPosition(0);
      FData.WriteBuffer("X", 1);
    }
    return n;
  }
  int64_t Write(const void* buffer, int64_t count) override { return FData.Write(buffer, count); }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override { return FData.Seek(offset, origin); }
  int64_t Size() override { return FData.Size(); }
  void SetSize(int64_t size) override { FData.SetSize(size); }

 private:
  TMemoryStream FData;
  bool FChanged = false;
};

TEST(ZipWriterTest, ContentChangingWhilePackedIsAnError) {
  for (const std::string& content : {Repeated("compressible", 100), RandomBytes(1000, 3)}) {
    TMemoryStream archive;
    TZipWriter writer(archive, kPassword);
    TChangingStream changing;
    changing.WriteBuffer(content.data(), static_cast<int64_t>(content.size()));
    try {
      writer.AddEntry(TZipEntryInfo{"page.html", 0, 0}, changing);
      ADD_FAILURE() << "no error";
    } catch (const Exception& error) {
      EXPECT_EQ(error.Message(), u"\"page.html\" changed while it was being packed");
    }
  }
}

// Sizes and offsets move to Zip64 blocks at the threshold; a threshold of 0
// sends every one of them there, as a site of several gigabytes would.
TEST(ZipWriterTest, Zip64RecordsAreReadBack) {
  const std::vector<TEntryData> entries = MixedSite();
  const std::vector<uint8_t> archive = WriteArchive(entries, 0);
  ExpectRuntimeReads(archive, entries);
#ifndef _WIN32
  ExpectToolsExtract(archive, entries);
#endif

  const std::vector<size_t> central = FindSignature(archive, zip::kDirectoryHeaderSignature);
  ASSERT_EQ(central.size(), entries.size());
  for (const size_t at : central) {
    const TAbZipDirectoryFileHeader header = TAbZipDirectoryFileHeader::Parse(&archive[at]);
    EXPECT_EQ(header.VersionNeededToExtract, 45);
    EXPECT_EQ(header.CompressedSize, 0xFFFFFFFFu);
    EXPECT_EQ(header.UncompressedSize, 0xFFFFFFFFu);
    EXPECT_EQ(header.RelativeOffset, 0xFFFFFFFFu);
  }
  EXPECT_EQ(FindSignature(archive, zip::kZip64EndSignature).size(), 1u);
  EXPECT_EQ(FindSignature(archive, zip::kZip64LocatorSignature).size(), 1u);
}

// A count of 0xFFFF is already the escape value of the classic field.
TEST(ZipWriterTest, EntryCountOf0xFFFFNeedsTheZip64EndRecord) {
  std::vector<TEntryData> entries;
  for (int i = 0; i < 0xFFFF; ++i) entries.push_back({"f/" + std::to_string(i), ""});
  const std::vector<uint8_t> archive = WriteArchive(entries);
  TRuntimeReader reader(archive);
  EXPECT_EQ(reader.Items().Count(), 0xFFFFu);
  EXPECT_EQ(reader.Footer().TotalEntries, 0xFFFFu);
  EXPECT_EQ(reader.Extract("f/65534"), "");
  EXPECT_EQ(reader.Failures(), std::vector<std::string>{});
  EXPECT_EQ(FindSignature(archive, zip::kZip64EndSignature).size(), 1u);

  entries.pop_back();
  EXPECT_TRUE(FindSignature(WriteArchive(entries), zip::kZip64EndSignature).empty());
}

// Enough entries of every kind for threads to overtake one another: small
// and multi-block text, small random data that Deflate tries and gives up,
// large random data and pictures stored from the start.
std::vector<TEntryData> ManyEntries() {
  std::vector<TEntryData> entries = MixedSite();
  for (int i = 0; i < 64; ++i) {
    const std::string name = "site/many/" + std::to_string(100 + i);
    const auto seed = static_cast<uint32_t>(i);
    switch (i % 4) {
      case 0:
        entries.push_back({name + ".html", Repeated("<td>cell</td>", 20 + 50 * i)});
        break;
      case 1:
        entries.push_back({name + ".bin", RandomBytes(500 + 2000 * i, seed)});
        break;
      case 2:
        entries.push_back({name + ".jpg", "\xFF\xD8\xFF" + RandomBytes(4000 * i, seed)});
        break;
      default:
        entries.push_back({name + ".txt", Repeated("a longer line of text ", 3000 + 200 * i)});
    }
  }
  return entries;
}

std::unique_ptr<TStream> MemoryContent(const std::string& bytes) {
  auto content = std::make_unique<TMemoryStream>();
  content->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  return content;
}

std::vector<uint8_t> WriteInParallel(const std::vector<TEntryData>& entries, const TPipelineOptions& options,
                                     const std::function<void(int64_t)>& onProgress = nullptr) {
  std::vector<TPipelineEntry> list;
  for (const TEntryData& entry : entries) {
    list.push_back({TZipEntryInfo{entry.Name, 0x6000, 0x5A21}, [&entry] { return MemoryContent(entry.Bytes); }});
  }
  TMemoryStream archive;
  TZipWriter writer(archive, kPassword);
  TEncodePipeline::Write(list, writer, options, onProgress);
  writer.Finish();
  return archive.Bytes();
}

// However many threads encode, and however little they may queue (a budget
// of one byte makes every thread but the writer's wait), the archive is the
// one entry-by-entry writing gives.
TEST(ZipWriterTest, ThreadsWriteTheBytesOfOneWriter) {
  const std::vector<TEntryData> entries = ManyEntries();
  const std::vector<uint8_t> expected = WriteArchive(entries);
  ExpectRuntimeReads(expected, entries);
  const TPipelineOptions cases[] = {
      {.Jobs = 1}, {.Jobs = 4}, {.Jobs = 4, .BudgetPerJob = 1}, {.Jobs = 3, .BudgetPerJob = 100000}};
  for (const TPipelineOptions& options : cases) {
    EXPECT_EQ(WriteInParallel(entries, options), expected)
        << options.Jobs << " threads, budget " << options.BudgetPerJob;
  }
}

// Progress counts every content byte twice, abandoned Deflate attempts
// included only once, and never goes back.
TEST(ZipWriterTest, ThreadsReportHonestProgress) {
  const std::vector<TEntryData> entries = ManyEntries();
  int64_t total = 0;
  for (const TEntryData& entry : entries) total += 2 * static_cast<int64_t>(entry.Bytes.size());
  std::vector<int64_t> reports;
  WriteInParallel(entries, {.Jobs = 4}, [&](int64_t read) { reports.push_back(read); });
  ASSERT_FALSE(reports.empty());
  EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
  EXPECT_EQ(reports.back(), total);
}

// An entry that cannot be read stops the archive with its own error, the
// first in entry order, whichever thread met it first.
TEST(ZipWriterTest, ThreadsRaiseTheFirstFailingEntry) {
  const std::vector<TEntryData> entries = ManyEntries();
  std::vector<TPipelineEntry> list;
  for (size_t i = 0; i < entries.size(); ++i) {
    const TEntryData& entry = entries[i];
    list.push_back({TZipEntryInfo{entry.Name, 0, 0}, [&entry, i]() -> std::unique_ptr<TStream> {
                      if (i == 20 || i == 50) throw Exception("cannot open " + entry.Name);
                      return MemoryContent(entry.Bytes);
                    }});
  }
  for (const TPipelineOptions& options :
       {TPipelineOptions{.Jobs = 1}, TPipelineOptions{.Jobs = 4}, TPipelineOptions{.Jobs = 4, .BudgetPerJob = 1}}) {
    TMemoryStream archive;
    TZipWriter writer(archive, kPassword);
    try {
      TEncodePipeline::Write(list, writer, options, nullptr);
      ADD_FAILURE() << "no error";
    } catch (const Exception& error) {
      EXPECT_EQ(error.Message(), FromUtf8("cannot open " + entries[20].Name)) << options.Jobs;
    }
  }
}

#ifndef _WIN32
TEST(ZipWriterTest, IndependentToolsExtractEveryEntry) { ExpectToolsExtract(WriteArchive(MixedSite()), MixedSite()); }
#endif

}  // namespace
}  // namespace lumora
