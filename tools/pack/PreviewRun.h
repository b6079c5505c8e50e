// "lumora-pack --run": the author's preview loop. The site is packed into a
// program in a private temporary folder, the program runs with the given
// arguments, and the folder is removed again however the run ends.
#pragma once

#include <functional>
#include <vector>

#include "core/String.h"
#include "pack/Packer.h"

namespace lumora {

class TPreviewRun {
 public:
  using TOnPacked = std::function<void(const TPackSummary& summary)>;

  TPreviewRun() = delete;

  // Packs options.SourceDir (options.Output is chosen here) and runs the
  // program; returns its exit code. The program is named after the site
  // folder, as the finished program presumably will be, so that it finds
  // the same web storage. Raises what packing raises.
  // inspect: the program shows the web engine's inspector (F12,
  // Ctrl+Shift+I); it is asked for through the environment, which the
  // program honours only because the preview marks it (PreviewEntryName).
  static int Run(TPackOptions options, const std::vector<String>& arguments,
                 const TPacker::TOnWarning& onWarning, const TOnPacked& onPacked, bool inspect = false);
};

}  // namespace lumora
