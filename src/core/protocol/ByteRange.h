// The byte range a request asks for with an HTTP Range header.
#pragma once

#include <cstdint>
#include <string_view>

namespace lumora {

// A byte range asked for against an entry of total bytes.
struct TByteRange {
  enum TKind { None, Satisfiable, Unsatisfiable };
  TKind Kind = None;
  uint64_t First = 0;  // inclusive
  uint64_t Last = 0;   // inclusive
};

// "bytes=a-b", "bytes=a-" and "bytes=-n" (the last n bytes) as one range.
// Anything else, several ranges among them, gives None: the whole entry is
// served. A range that starts beyond the end is Unsatisfiable.
TByteRange ParseRangeHeader(std::string_view header, uint64_t total);

}  // namespace lumora
