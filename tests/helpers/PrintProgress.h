// Makes a TExeUtils print its progress events, one line each ("max N",
// "pos N"), for the tests that read them back.
#pragma once

#include <cstdio>

#include "core/ExeUtils.h"

namespace lumora::test {

inline void PrintProgressEvents(TExeUtils& utils) {
  utils.OnProgressMax = [](TExeUtils&, int64_t max) { std::printf("max %lld\n", static_cast<long long>(max)); };
  utils.OnProgressPos = [](TExeUtils&, int64_t pos) { std::printf("pos %lld\n", static_cast<long long>(pos)); };
}

}  // namespace lumora::test
