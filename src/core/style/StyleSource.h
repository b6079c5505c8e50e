// The readable source of a style, one small text file per style:
//
//   # comments and blank lines are ignored
//   name = Carbon
//   author = ...            (also email, url; version defaults to 1.0)
//   window = #1f1f1f        every key of StyleColorKeys, as #rrggbb
//   caption-height = 30     every key of StyleMetricKeys, in range
//
// UTF-8, one "key = value" per line; every colour and metric must appear
// exactly once, so that a forgotten line is an error and not black.
#pragma once

#include <string_view>

#include "base/Exception.h"
#include "core/style/StyleDefinition.h"

namespace lumora {

// A source that cannot be turned into a style; the message names the line.
class EStyleSource : public Exception {
  using Exception::Exception;
};

TStyleDefinition ParseStyleSource(std::string_view text);

}  // namespace lumora
