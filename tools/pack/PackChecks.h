// The packer's checks whose messages name the fix: the runtime to append
// to, the folder the program goes into, a configuration file under a
// slightly wrong name, and a runtime that cannot do everything yet.
#pragma once

#include <string>
#include <vector>

#include "core/String.h"

namespace lumora {

class TPackChecks {
 public:
  TPackChecks() = delete;

  // The runtime's full path: runtime, or the one beside the packer when
  // runtime is empty. Raises an Exception that says how to give one.
  static String ResolveRuntime(const String& runtime);

  // Raises an Exception naming the folder when output's folder is missing.
  static void CheckOutputFolder(const String& output);

  // Files of the site that look meant as its configuration but that the
  // runtime would not read ("lm-config.ini", "site/lm-config"), quoted and
  // joined for a message; empty when there are none.
  static String ConfigLookalikes(const std::vector<std::string>& entryNames);
};

}  // namespace lumora
