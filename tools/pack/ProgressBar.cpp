#include "pack/ProgressBar.h"

#include <algorithm>

#include "pack/Console.h"

namespace lumora {

namespace {

constexpr int kWidth = 30;

}  // namespace

TProgressBar::TProgressBar(StringView label, int64_t total)
    : FLabel(label), FTotal(total), FVisible(total >= kMinimumTotal && TConsole::ErrorIsTerminal()) {
  SetPosition(0);
}

TProgressBar::~TProgressBar() {
  if (FVisible && FShownPercent >= 0) TConsole::ErrorRaw(u"\n");
}

void TProgressBar::SetPosition(int64_t position) {
  FPosition = position;
  if (!FVisible) return;
  const int percent = static_cast<int>(std::clamp<int64_t>(FPosition * 100 / FTotal, 0, 100));
  // Redrawn only when the figure changes: a terminal is slow next to the
  // copy loop.
  if (percent == FShownPercent) return;
  FShownPercent = percent;
  const int filled = percent * kWidth / 100;
  const String bar = String(static_cast<size_t>(filled), u'#') + String(static_cast<size_t>(kWidth - filled), u'-');
  TConsole::ErrorRaw(Format(u"\r%s [%s] %s%", {FLabel, bar, IntToStr(percent)}));
}

}  // namespace lumora
