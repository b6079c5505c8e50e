// A one-line progress bar on standard error for the long steps of packing a
// large site. It stays silent when standard error is not a terminal (logs and
// tests see no carriage returns) and for work too small to wait for.
#pragma once

#include <cstdint>

#include "base/String.h"

namespace lumora {

class TProgressBar {
 public:
  // Work below this many bytes finishes too soon for a bar to help.
  static constexpr int64_t kMinimumTotal = 16 * 1024 * 1024;

  TProgressBar(StringView label, int64_t total);
  // Ends the bar's line, if it was shown.
  ~TProgressBar();
  TProgressBar(const TProgressBar&) = delete;
  TProgressBar& operator=(const TProgressBar&) = delete;

  void Advance(int64_t count) { SetPosition(FPosition + count); }
  void SetPosition(int64_t position);

 private:
  String FLabel;
  int64_t FTotal;
  int64_t FPosition = 0;
  int FShownPercent = -1;
  bool FVisible;
};

}  // namespace lumora
