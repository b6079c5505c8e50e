// The error of replacing an executable's resources (its main icon).
#pragma once

#include <cstdint>

#include "base/Exception.h"

namespace lumora {

// Every failure of an icon replacement reads "Resource update error: "
// followed by what failed, and, for a failed platform call, the platform's
// error code in parentheses.
class EResourceUpdateError : public Exception {
 public:
  explicit EResourceUpdateError(StringView text) : Exception(u"Resource update error: " + String(text)) {}
  EResourceUpdateError(StringView text, uint32_t code)
      : Exception(u"Resource update error: " + String(text) + u" (" + IntToStr(static_cast<int64_t>(code)) + u")") {}
};

}  // namespace lumora
