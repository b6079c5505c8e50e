// Reading and writing style files: signature, zlib layer, header strings,
// definition, each step with its own reason for refusing.
#include "core/style/StyleFile.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "base/ByteOrder.h"

namespace lumora {
namespace {

// Far above any real style (a few hundred bytes), low enough that a
// compression bomb costs nothing.
constexpr size_t MaxInflatedSize = 64 * 1024;
// Header strings longer than this are refused rather than allocated.
constexpr uint32_t MaxHeaderStringLength = 1024;
constexpr std::string_view DefinitionMarker = "LMST";

std::vector<uint8_t> Inflate(std::span<const uint8_t> compressed) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) throw EStyleFormat("zlib could not start");
  struct Ender {
    z_stream* s;
    ~Ender() { inflateEnd(s); }
  } ender{&stream};

  std::vector<uint8_t> out(MaxInflatedSize + 1);
  stream.next_in = const_cast<Bytef*>(compressed.data());
  stream.avail_in = static_cast<uInt>(compressed.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = inflate(&stream, Z_FINISH);
  if (result == Z_STREAM_END) {
    if (stream.avail_in != 0) throw EStyleFormat("bytes after the compressed data");
    out.resize(stream.total_out);
    return out;
  }
  if (stream.avail_out == 0) throw EStyleFormat("the data inflates beyond any style's size");
  if (result == Z_BUF_ERROR) throw EStyleFormat("the compressed data is cut short");
  throw EStyleFormat(std::string("the compressed data is damaged") +
                     (stream.msg ? std::string(": ") + stream.msg : ""));
}

// A cursor over the inflated bytes that refuses every read past the end.
class TReader {
 public:
  explicit TReader(std::span<const uint8_t> bytes) : FBytes(bytes) {}

  const uint8_t* Take(size_t count, const char* what) {
    if (FBytes.size() - FPos < count) throw EStyleFormat(std::string("the data ends inside ") + what);
    const uint8_t* p = FBytes.data() + FPos;
    FPos += count;
    return p;
  }
  uint8_t U8(const char* what) { return *Take(1, what); }
  uint16_t U16(const char* what) { return ReadU16(Take(2, what)); }
  uint32_t U32(const char* what) { return ReadU32(Take(4, what)); }

  String Utf16(const char* what) {
    const uint32_t count = U32(what);
    if (count > MaxHeaderStringLength) throw EStyleFormat(std::string("the ") + what + " is too long");
    const uint8_t* p = Take(size_t{count} * 2, what);
    String text(count, u'\0');
    for (uint32_t i = 0; i < count; ++i) text[i] = static_cast<char16_t>(ReadU16(p + 2 * i));
    return text;
  }

  bool AtEnd() const { return FPos == FBytes.size(); }

 private:
  std::span<const uint8_t> FBytes;
  size_t FPos = 0;
};

std::vector<uint8_t> InflateBody(std::span<const uint8_t> data) {
  const size_t signatureSize = StyleFileSignature.size();
  if (data.size() < signatureSize || std::memcmp(data.data(), StyleFileSignature.data(), signatureSize) != 0)
    throw EStyleFormat("the file does not begin with \"VCL_STYLE 1.0\"");
  return Inflate(data.subspan(signatureSize));
}

void ReadHeader(TReader& reader, TStyleDefinition& definition) {
  definition.Name = reader.Utf16("display name");
  if (definition.Name.empty()) throw EStyleFormat("the display name is empty");
  definition.Version = reader.Utf16("version");
  definition.Author = reader.Utf16("author");
  definition.Email = reader.Utf16("e-mail address");
  definition.Url = reader.Utf16("web address");
}

void ReadDefinition(TReader& reader, TStyleDefinition& definition) {
  if (std::memcmp(reader.Take(DefinitionMarker.size(), "definition marker"), DefinitionMarker.data(),
                  DefinitionMarker.size()) != 0)
    throw EStyleFormat("no style definition follows the header");
  const uint16_t version = reader.U16("definition version");
  if (version != StyleDefinitionVersion)
    throw EStyleFormat("definition version " + std::to_string(version) + " is not known");

  if (reader.U8("colour count") != StyleColorCount) throw EStyleFormat("the palette does not have 16 colours");
  for (TStyleColor& color : definition.Colors) {
    const uint8_t* rgb = reader.Take(3, "palette");
    color.Rgb = (uint32_t{rgb[0]} << 16) | (uint32_t{rgb[1]} << 8) | rgb[2];
  }

  if (reader.U8("metric count") != StyleMetricCount) throw EStyleFormat("the metrics are not 4 values");
  for (size_t i = 0; i < StyleMetricCount; ++i) {
    const uint16_t value = reader.U16("metrics");
    if (value < StyleMetricRanges[i].Min || value > StyleMetricRanges[i].Max)
      throw EStyleFormat(std::string("metric ") + std::string(StyleMetricKeys[i]) + " is out of range");
    definition.Metrics[i] = value;
  }
  if (!reader.AtEnd()) throw EStyleFormat("bytes after the style definition");
}

void PutU16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutUtf16(std::vector<uint8_t>& out, const String& text) {
  const uint32_t count = static_cast<uint32_t>(text.size());
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(count >> shift));
  for (char16_t unit : text) PutU16(out, unit);
}

}  // namespace

TStyleDefinition ReadStyleFile(std::span<const uint8_t> data) {
  const std::vector<uint8_t> body = InflateBody(data);
  TReader reader(body);
  TStyleDefinition definition;
  ReadHeader(reader, definition);
  ReadDefinition(reader, definition);
  return definition;
}

std::vector<uint8_t> WriteStyleFile(const TStyleDefinition& definition) {
  std::vector<uint8_t> body;
  for (const String* text :
       {&definition.Name, &definition.Version, &definition.Author, &definition.Email, &definition.Url})
    PutUtf16(body, *text);
  body.insert(body.end(), DefinitionMarker.begin(), DefinitionMarker.end());
  PutU16(body, StyleDefinitionVersion);
  body.push_back(static_cast<uint8_t>(StyleColorCount));
  for (const TStyleColor& color : definition.Colors) {
    body.push_back(color.Red());
    body.push_back(color.Green());
    body.push_back(color.Blue());
  }
  body.push_back(static_cast<uint8_t>(StyleMetricCount));
  for (uint16_t value : definition.Metrics) PutU16(body, value);

  uLongf compressedSize = compressBound(static_cast<uLong>(body.size()));
  std::vector<uint8_t> file(StyleFileSignature.begin(), StyleFileSignature.end());
  file.resize(StyleFileSignature.size() + compressedSize);
  if (compress2(file.data() + StyleFileSignature.size(), &compressedSize, body.data(), static_cast<uLong>(body.size()),
                Z_BEST_COMPRESSION) != Z_OK)
    throw Exception(u"The style could not be compressed");
  file.resize(StyleFileSignature.size() + compressedSize);
  return file;
}

}  // namespace lumora
