// What choosing a style adds to start-up, as TStylesUtils::TrySetStyle
// does it: the first request of a fresh engine (finding the embedded
// files, inflating and checking all 33) and then putting the style on the
// program's windows (on Linux: the style's CSS parsed into a GTK CSS
// provider installed for the screen). AppTheme=carbon beside the default
// "Windows", which runs the same discovery and installs nothing, and
// beside only listing the embedded files. Timings are medians over many
// fresh engines; the first application in the process, when the toolkit
// meets its first style, is timed on its own too.
//
// Linux: needs a display (scripts/with-display).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#ifndef _WIN32
#include <gtk/gtk.h>
#endif

#include "core/style/StyleEngine.h"
#include "platform/StyleTheme.h"

using namespace lumora;

namespace {

double Microseconds(const std::function<void()>& run) {
  const auto start = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
}

double MedianMicroseconds(const std::function<void()>& run) {
  constexpr int Rounds = 501;
  std::vector<double> times;
  times.reserve(Rounds);
  for (int i = 0; i < Rounds; ++i) times.push_back(Microseconds(run));
  std::nth_element(times.begin(), times.begin() + Rounds / 2, times.end());
  return times[Rounds / 2];
}

// What TrySetStyle does with a fresh engine: select, then apply.
void SetStyle(const String& name) {
  TStyleEngine engine(EmbeddedStyleResources);
  if (!engine.SelectStyle(name)) std::fprintf(stderr, "style %s not found\n", ToUtf8(name).c_str());
  ApplyStyleToWindows(engine.ActiveStyle());
}

}  // namespace

int main() {
  // The toolkit is up, and has read its own theme, before any style is put
  // on a window: the main window pays that with or without a style, so it
  // is not part of what the style adds (but shown, for scale).
  double toolkit = 0;
#ifndef _WIN32
  if (!gtk_init_check(nullptr, nullptr)) {
    std::fprintf(stderr, "no display: the style's CSS would not be installed\n");
    return 1;
  }
  toolkit = Microseconds([] { gtk_settings_get_default(); });
#endif
  const double firstApply = Microseconds([] { SetStyle(u"carbon"); });
  ApplyStyleToWindows(nullptr);

  const double listing = MedianMicroseconds([] { EmbeddedStyleResources(); });
  const double windowsSelect = MedianMicroseconds([] { TStyleEngine(EmbeddedStyleResources).SelectStyle(u"Windows"); });
  const double windows = MedianMicroseconds([] { SetStyle(u"Windows"); });
  const double carbonSelect = MedianMicroseconds([] { TStyleEngine(EmbeddedStyleResources).SelectStyle(u"carbon"); });
  const double carbon = MedianMicroseconds([] { SetStyle(u"carbon"); });
  ApplyStyleToWindows(nullptr);

  if (toolkit > 0) std::printf("the toolkit reading its own theme (not counted)    %8.1f us\n", toolkit);
  std::printf("listing the 33 embedded style files               %8.1f us\n", listing);
  std::printf("AppTheme=Windows (default): first request          %8.1f us\n", windowsSelect);
  std::printf("AppTheme=Windows (default): request + apply        %8.1f us\n", windows);
  std::printf("AppTheme=carbon: first request                     %8.1f us\n", carbonSelect);
  std::printf("AppTheme=carbon: request + apply                   %8.1f us\n", carbon);
  std::printf("AppTheme=carbon: request + apply, first in process %8.1f us\n", firstApply);
  std::printf("what carbon adds to start-up (median, first)       %8.1f us, %8.1f us\n", carbon - windows,
              firstApply - windows);
  return 0;
}
