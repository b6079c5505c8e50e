// Where the packer finds the runtime of each target system. Installed, the
// packer is "<prefix>/bin/lumora-pack" and the runtimes are
// "<prefix>/lib/lumora/runtimes/<folder>/<file>"; in a build folder the
// runtime of the build's own system sits beside the packer.
#pragma once

#include <optional>

#include "core/String.h"

namespace lumora {

enum class TTarget { Linux, Windows };

class TRuntimeLocator {
 public:
  TRuntimeLocator() = delete;

  // The system the packer runs on: its programs are packed by default.
  static TTarget HostTarget();

  // "linux" or "windows"; nullopt for any other name.
  static std::optional<TTarget> ParseTarget(StringView name);

  // The name --target takes: "linux" or "windows".
  static StringView TargetName(TTarget target);

  // The runtime for target, looked up from the running packer's own
  // location. Raises an Exception naming every place looked at and how to
  // give a runtime instead.
  static String Find(TTarget target);
};

}  // namespace lumora
