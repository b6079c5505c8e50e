// Where the packer finds the runtime of each target system. Installed, the
// packer is "<prefix>/bin/lumora-pack" and the runtimes are
// "<prefix>/lib/lumora/runtimes/<folder>/<file>"; in a build folder
// ("build/<preset>") the runtime of the build's own system sits beside the
// packer and the other systems' runtimes in the sibling build folders.
#pragma once

#include <optional>
#include <vector>

#include "base/String.h"

namespace lumora {

// Windows is the 32-bit (i386) program, WindowsX64 the 64-bit (x86-64) one.
enum class TTarget { Linux, Windows, WindowsX64 };

class TRuntimeLocator {
 public:
  TRuntimeLocator() = delete;

  // The system the packer runs on: its programs are packed by default.
  static TTarget HostTarget();

  // "linux", "windows" or "windows-x64"; nullopt for any other name.
  static std::optional<TTarget> ParseTarget(StringView name);

  // The name --target takes.
  static StringView TargetName(TTarget target);
  // The names --target takes, for messages: "linux, windows or windows-x64".
  static String TargetNames();
  // The system as messages name it: "Linux", "32-bit Windows", "64-bit Windows".
  static StringView DisplayName(TTarget target);
  static bool IsWindows(TTarget target) { return target != TTarget::Linux; }

  // The system the program file is for, from its headers: an ELF program
  // is for Linux, a PE program for 32- or 64-bit Windows by its machine
  // type. nullopt for anything else (a PE program for ARM, a bare archive).
  static std::optional<TTarget> TargetOf(const String& program);

  // The places the runtime for target is looked for, best first, when the
  // packer is the file packer: the installed layout, the sibling build
  // folder of target's preset, and for the packer's own system the
  // packer's folder.
  static std::vector<String> Places(TTarget target, const String& packer);

  // The runtime for target, looked up from the running packer's own
  // location. Raises an Exception naming every place looked at and how to
  // give a runtime instead.
  static String Find(TTarget target);
};

}  // namespace lumora
