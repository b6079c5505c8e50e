// What choosing a style adds to start-up: the first request of a fresh
// engine (finding the embedded files, inflating and checking all 33) for
// AppTheme=Carbon, beside the same first request for "Windows" (the
// default, which also runs discovery) and beside only listing the embedded
// files. Timings are medians over many fresh engines.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "core/style/StyleEngine.h"

using namespace lumora;

namespace {

double MedianMicroseconds(const std::function<void()>& run) {
  constexpr int Rounds = 501;
  std::vector<double> times;
  times.reserve(Rounds);
  for (int i = 0; i < Rounds; ++i) {
    const auto start = std::chrono::steady_clock::now();
    run();
    times.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
  }
  std::nth_element(times.begin(), times.begin() + Rounds / 2, times.end());
  return times[Rounds / 2];
}

}  // namespace

int main() {
  const double listing = MedianMicroseconds([] { EmbeddedStyleResources(); });
  const double windows = MedianMicroseconds([] {
    TStyleEngine engine(EmbeddedStyleResources);
    engine.SelectStyle(u"Windows");
  });
  const double carbon = MedianMicroseconds([] {
    TStyleEngine engine(EmbeddedStyleResources);
    if (!engine.SelectStyle(u"carbon")) std::fprintf(stderr, "Carbon not found\n");
  });
  std::printf("listing the 33 embedded style files      %8.1f us\n", listing);
  std::printf("first request, AppTheme=Windows (default) %8.1f us\n", windows);
  std::printf("first request, AppTheme=carbon            %8.1f us\n", carbon);
  return 0;
}
