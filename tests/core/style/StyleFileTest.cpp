// The style file reader and writer: a written file reads back the same, and
// every kind of damage is refused with its own reason, never a crash.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "core/style/StyleFile.h"

namespace lumora {
namespace {

TStyleDefinition SampleStyle() {
  TStyleDefinition style;
  style.Name = u"Sample Ünïcode";
  style.Author = u"a";
  style.Email = u"b";
  style.Url = u"c";
  for (size_t i = 0; i < StyleColorCount; ++i)
    style.Colors[i].Rgb = 0x102030u * static_cast<uint32_t>(i + 1) & 0xFFFFFF;
  style.Metrics = {30, 2, 4, 3};
  return style;
}

// A little writer for inflated bodies, so damaged files are made in code.
struct TBody {
  std::vector<uint8_t> Bytes;
  TBody& U8(uint8_t v) {
    Bytes.push_back(v);
    return *this;
  }
  TBody& U16(uint16_t v) { return U8(static_cast<uint8_t>(v)).U8(static_cast<uint8_t>(v >> 8)); }
  TBody& U32(uint32_t v) { return U16(static_cast<uint16_t>(v)).U16(static_cast<uint16_t>(v >> 16)); }
  TBody& Text(std::u16string_view s) {
    U32(static_cast<uint32_t>(s.size()));
    for (char16_t c : s) U16(c);
    return *this;
  }
  TBody& Ascii(std::string_view s) {
    Bytes.insert(Bytes.end(), s.begin(), s.end());
    return *this;
  }
  TBody& Header() { return Text(u"Name").Text(u"1.0").Text(u"").Text(u"").Text(u""); }
  TBody& Colors(uint8_t count) {
    U8(count);
    for (int i = 0; i < count * 3; ++i) U8(0x40);
    return *this;
  }
  TBody& Metrics(std::vector<uint16_t> values) {
    U8(static_cast<uint8_t>(values.size()));
    for (uint16_t v : values) U16(v);
    return *this;
  }
};

std::vector<uint8_t> Compress(const std::vector<uint8_t>& body) {
  uLongf size = compressBound(static_cast<uLong>(body.size()));
  std::vector<uint8_t> out(size);
  EXPECT_EQ(compress(out.data(), &size, body.data(), static_cast<uLong>(body.size())), Z_OK);
  out.resize(size);
  return out;
}

std::vector<uint8_t> FileOf(const std::vector<uint8_t>& body) {
  std::vector<uint8_t> file(StyleFileSignature.begin(), StyleFileSignature.end());
  const std::vector<uint8_t> z = Compress(body);
  file.insert(file.end(), z.begin(), z.end());
  return file;
}

std::string ReasonFor(const std::vector<uint8_t>& file) {
  try {
    ReadStyleFile(file);
  } catch (const EStyleFormat& error) {
    EXPECT_EQ(error.Message(), u"Invalid style format");
    return error.Reason();
  }
  return "accepted";
}

TEST(StyleFileTest, WrittenFileReadsBackTheSameAndStartsWithTheContainer) {
  const TStyleDefinition style = SampleStyle();
  const std::vector<uint8_t> file = WriteStyleFile(style);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 13), "VCL_STYLE 1.0");
  EXPECT_EQ(file[13], 0x78);  // a zlib stream, not raw Deflate
  EXPECT_EQ(ReadStyleFile(file), style);

  // The inflated data begins with the five counted UTF-16 strings.
  std::vector<uint8_t> body(4096);
  uLongf size = body.size();
  ASSERT_EQ(uncompress(body.data(), &size, file.data() + 13, static_cast<uLong>(file.size() - 13)), Z_OK);
  body.resize(size);
  TBody expected;
  expected.Text(style.Name).Text(u"1.0").Text(u"a").Text(u"b").Text(u"c").Ascii("LMST");
  ASSERT_GE(body.size(), expected.Bytes.size());
  EXPECT_TRUE(std::equal(expected.Bytes.begin(), expected.Bytes.end(), body.begin()));
}

TEST(StyleFileTest, DamagedFilesAreRefusedWithTheirReason) {
  const std::vector<uint16_t> goodMetrics{30, 2, 4, 3};
  std::vector<uint8_t> trailing = WriteStyleFile(SampleStyle());
  trailing.push_back(0);
  std::vector<uint8_t> cut = WriteStyleFile(SampleStyle());
  cut.resize(cut.size() - 6);
  std::vector<uint8_t> notZlib(StyleFileSignature.begin(), StyleFileSignature.end());
  notZlib.insert(notZlib.end(), {1, 2, 3, 4, 5, 6});
  std::vector<uint8_t> wrongSignature = WriteStyleFile(SampleStyle());
  wrongSignature[10] = '2';

  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    std::string reason;
  };
  const Case cases[] = {
      {"empty", {}, "the file does not begin with \"VCL_STYLE 1.0\""},
      {"other signature", wrongSignature, "the file does not begin with \"VCL_STYLE 1.0\""},
      {"not zlib", notZlib, "the compressed data is damaged: incorrect header check"},
      {"stream cut short", cut, "the compressed data is cut short"},
      {"bytes after the stream", trailing, "bytes after the compressed data"},
      {"compression bomb", FileOf(std::vector<uint8_t>(1 << 20, 0)), "the data inflates beyond any style's size"},
      {"no strings", FileOf({}), "the data ends inside display name"},
      {"empty name", FileOf(TBody().Text(u"").Bytes), "the display name is empty"},
      {"huge string count", FileOf(TBody().U32(0xFFFFFFFF).Bytes), "the display name is too long"},
      {"string longer than the data", FileOf(TBody().U32(20).U16('A').Bytes), "the data ends inside display name"},
      {"header only", FileOf(TBody().Header().Bytes), "the data ends inside definition marker"},
      {"no definition marker", FileOf(TBody().Header().Ascii("XXXX").Bytes), "no style definition follows the header"},
      {"newer definition", FileOf(TBody().Header().Ascii("LMST").U16(2).Bytes), "definition version 2 is not known"},
      {"short palette", FileOf(TBody().Header().Ascii("LMST").U16(1).Colors(15).Metrics(goodMetrics).Bytes),
       "the palette does not have 16 colours"},
      {"palette cut short", FileOf(TBody().Header().Ascii("LMST").U16(1).U8(16).U8(1).Bytes),
       "the data ends inside palette"},
      {"three metrics", FileOf(TBody().Header().Ascii("LMST").U16(1).Colors(16).Metrics({30, 2, 4}).Bytes),
       "the metrics are not 4 values"},
      {"caption too high", FileOf(TBody().Header().Ascii("LMST").U16(1).Colors(16).Metrics({900, 2, 4, 3}).Bytes),
       "metric caption-height is out of range"},
      {"frame too wide", FileOf(TBody().Header().Ascii("LMST").U16(1).Colors(16).Metrics({30, 17, 4, 3}).Bytes),
       "metric frame-width is out of range"},
      {"bytes after the definition",
       FileOf(TBody().Header().Ascii("LMST").U16(1).Colors(16).Metrics(goodMetrics).U8(0).Bytes),
       "bytes after the style definition"},
  };
  for (const Case& c : cases) EXPECT_EQ(ReasonFor(c.file), c.reason) << c.name;

  EXPECT_EQ(ReasonFor(FileOf(TBody().Header().Ascii("LMST").U16(1).Colors(16).Metrics(goodMetrics).Bytes)), "accepted");
}

TEST(StyleFileTest, EveryTruncationAndEveryFlippedByteIsRefusedOrReadCleanly) {
  const std::vector<uint8_t> file = WriteStyleFile(SampleStyle());
  for (size_t size = 0; size < file.size(); ++size)
    EXPECT_NE(ReasonFor(std::vector<uint8_t>(file.begin(), file.begin() + size)), "accepted") << size;
  for (size_t i = 0; i < file.size(); ++i) {
    std::vector<uint8_t> damaged = file;
    damaged[i] ^= 0x5A;
    ReasonFor(damaged);  // either verdict, but never a crash
  }
}

}  // namespace
}  // namespace lumora
