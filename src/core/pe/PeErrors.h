// The errors of reading and rewriting a Windows (PE) program's resources,
// one per layer: the image's headers and sections, the resource directory
// and the version resource. Each says what is wrong with the file; the
// caller adds which file it was.
#pragma once

#include "base/Exception.h"

namespace lumora {

// Damaged or unsupported headers, section table or data directory.
class EPeImageError : public Exception {
 public:
  explicit EPeImageError(StringView reason) : Exception(u"not a usable Windows program: " + String(reason)) {}
};

// A resource directory that is damaged: offsets past its section,
// directories that loop, data outside the image.
class EPeResourceError : public Exception {
 public:
  explicit EPeResourceError(StringView reason) : Exception(u"damaged resource directory: " + String(reason)) {}
};

// A version resource whose blocks do not fit together.
class EVersionInfoError : public Exception {
 public:
  explicit EVersionInfoError(StringView reason) : Exception(u"damaged version resource: " + String(reason)) {}
};

}  // namespace lumora
