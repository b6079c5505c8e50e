#include "core/browser/IEBrowserFix.h"

#include "base/Exception.h"
#include "os/File.h"
#include "os/Registry.h"

namespace lumora {

namespace {

// The file-name part of the running program's path, extension included.
String ExecutableFileName() {
  const String path = ExecutablePath();
  const size_t slash = path.find_last_of(u"/\\");
  return slash == String::npos ? path : path.substr(slash + 1);
}

struct TFeature {
  StringView Key;
  uint32_t Value;
};

constexpr TFeature kFeatures[] = {
    {TIEBrowserFix::kEmulationKey, TIEBrowserFix::kEmulationValue},
    {TIEBrowserFix::kGpuRenderingKey, TIEBrowserFix::kGpuRenderingValue},
};

}  // namespace

void TIEBrowserFix::Initialize(TRegistry& registry, const String& valueName) {
  for (const TFeature& feature : kFeatures) {
    if (!registry.CreateKey(feature.Key)) continue;
    if (registry.ValueExists(feature.Key, valueName)) continue;
    if (!registry.WriteValue(feature.Key, valueName, TRegValue::FromDWord(feature.Value))) {
      throw Exception(Format(u"Failed to set data for '%s'", {valueName}));
    }
  }
}

void TIEBrowserFix::Uninitialize(TRegistry& registry, const String& valueName) {
  for (const TFeature& feature : kFeatures) {
    if (!registry.KeyExists(feature.Key)) continue;
    if (registry.ValueExists(feature.Key, valueName)) registry.DeleteValue(feature.Key, valueName);
  }
}

void TIEBrowserFix::Initialize() {
  TRegistry registry;
  Initialize(registry, ExecutableFileName());
}

void TIEBrowserFix::Uninitialize() {
  TRegistry registry;
  Uninitialize(registry, ExecutableFileName());
}

}  // namespace lumora
