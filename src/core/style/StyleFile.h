// The binary style file.
//
//   "VCL_STYLE 1.0"                      13 bytes, no terminator
//   zlib stream (RFC 1950), decompressing to:
//     5 strings, each a uint32 LE count of UTF-16 code units and then the
//       units LE: display name, version "1.0", author, e-mail, web address
//     "LMST"                             our definition follows
//     uint16 LE definition version       1
//     uint8 colour count, then that many colours as R, G, B bytes
//       (version 1: exactly 16, in TStyleColorRole order)
//     uint8 metric count, then that many uint16 LE
//       (version 1: exactly 4, in TStyleMetric order, within StyleMetricRanges)
//   and nothing after the definition, in the stream or after it.
//
// The header strings are what any reader of the container understands; the
// definition after them is ours and carries its own version so that a later
// format can be told apart rather than misread.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "base/Exception.h"
#include "core/style/StyleDefinition.h"

namespace lumora {

// A style file that cannot be read. Message() is the system's text
// "Invalid style format"; Reason() says what was wrong, for tools and logs.
class EStyleFormat : public Exception {
 public:
  explicit EStyleFormat(std::string reason)
      : Exception(std::string("Invalid style format")), FReason(std::move(reason)) {}
  const std::string& Reason() const { return FReason; }

 private:
  std::string FReason;
};

inline constexpr std::string_view StyleFileSignature = "VCL_STYLE 1.0";
inline constexpr uint16_t StyleDefinitionVersion = 1;

// Reads a whole style file. Raises EStyleFormat for anything that is not a
// complete, well-formed file of a version this reader knows; never reads
// outside data, and refuses to inflate more than a style could need.
TStyleDefinition ReadStyleFile(std::span<const uint8_t> data);

// The file for a definition; ReadStyleFile(WriteStyleFile(d)) == d.
std::vector<uint8_t> WriteStyleFile(const TStyleDefinition& definition);

}  // namespace lumora
