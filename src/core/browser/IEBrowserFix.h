// Lists the running program under the browser's two per-process feature
// keys of the current user's registry store at start-up (newest document
// mode, GPU rendering) and removes the entries at shutdown. WebKit does not
// read them; the values are written so that every backend leaves the same
// traces.
#pragma once

#include "base/String.h"

namespace lumora {

class TRegistry;

class TIEBrowserFix {
 public:
  static constexpr StringView kEmulationKey =
      u"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION";
  static constexpr StringView kGpuRenderingKey =
      u"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_GPU_RENDERING";
  static constexpr uint32_t kEmulationValue = 11001;
  static constexpr uint32_t kGpuRenderingValue = 1;

  // Adds a value named after the executable's file name under each key
  // that lacks one, creating the key when needed; an existing value stays.
  // A key that cannot be opened is skipped; a failed write raises
  // "Failed to set data for '%s'" and leaves the second key untouched.
  static void Initialize();
  // Deletes both values, whoever wrote them. Raises nothing.
  static void Uninitialize();

  // The same against a given store and value name.
  static void Initialize(TRegistry& registry, const String& valueName);
  static void Uninitialize(TRegistry& registry, const String& valueName);
};

}  // namespace lumora
