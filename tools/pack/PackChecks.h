// The packer's checks whose messages name the fix: the runtime to append
// to and the system it is for, the folder the program goes into, and a
// configuration file under a slightly wrong name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/String.h"
#include "pack/RuntimeLocator.h"

namespace lumora {

class TPackChecks {
 public:
  TPackChecks() = delete;

  // The runtime's full path: runtime, or when it is empty the installed
  // runtime of target (default: the system the packer runs on). Raises an
  // Exception that says how to give one.
  static String ResolveRuntime(const String& runtime, std::optional<TTarget> target);

  // Raises an Exception when a target was asked for and the runtime, a
  // Windows one or not, is for the other system.
  static void CheckTarget(const String& runtime, bool windowsRuntime,
                          std::optional<TTarget> target);

  // Raises an Exception that says how to name the program when output
  // names a folder (an existing one, or a name ending in a separator), or
  // names the folder when output's folder is missing or no folder.
  static void CheckOutput(const String& output);

  // Raises an Exception naming a full disk as the cause when the disk that
  // holds output's folder has fewer than bytes free; detail follows the
  // message.
  static void CheckRoom(const String& output, uintmax_t bytes, StringView detail);

  // Files of the site that look meant as its configuration but that the
  // runtime would not read ("lm-config.ini", "site/lm-config"), quoted and
  // joined for a message; empty when there are none.
  static String ConfigLookalikes(const std::vector<std::string>& entryNames);
};

}  // namespace lumora
