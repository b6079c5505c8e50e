// "lumora-pack --run": the author's preview loop. The site is packed into a
// program in a private temporary folder, the program runs with the given
// arguments, and the folder is removed again however the run ends.
#pragma once

#include <functional>
#include <vector>

#include "base/String.h"
#include "pack/Packer.h"

namespace lumora {

class TPreviewRun {
 public:
  using TOnPacked = std::function<void(const TPackSummary& summary)>;
  using TOnNote = std::function<void(const String& note)>;

  TPreviewRun() = delete;

  // Packs options.SourceDir (options.Output is chosen here) and runs the
  // program; returns its exit code. The program is named after the site
  // folder, as the finished program presumably will be, so that it finds
  // the same web storage. Raises what packing raises.
  struct TSwitches {
    // The program shows the web engine's inspector (F12, Ctrl+Shift+I); it
    // is asked for through the environment, which the program honours only
    // because the preview marks it (PreviewEntryName).
    bool Inspect = false;
    // When a file of the site changes, the site is packed again (with its
    // warnings) and the program reloads the page in the same window.
    bool Watch = false;
    // What --watch did, a line each time the site changed.
    TOnNote OnNote;
  };

  static int Run(TPackOptions options, const std::vector<String>& arguments, const TPacker::TOnWarning& onWarning,
                 const TOnPacked& onPacked, const TSwitches& switches);
};

}  // namespace lumora
