#include "core/style/StyleEngine.h"

#include <algorithm>

#include "core/style/StyleFile.h"
#include "os/File.h"

namespace lumora {

TStyleEngine::TStyleEngine(TResourceSource source) : FSource(std::move(source)) {}

void TStyleEngine::Discover() {
  if (FDiscovered) return;
  FDiscovered = true;
  for (TStyleResource& resource : FSource()) {
    try {
      TStyleDefinition definition = ReadStyleFile(resource.Data);
      const bool taken = SameTextLocale(definition.Name, String(NativeStyleName)) ||
                         std::any_of(FStyles.begin(), FStyles.end(), [&](const TRegistered& style) {
                           return SameTextLocale(style.Definition.Name, definition.Name);
                         });
      if (taken) {
        FSkipped.push_back({resource.Name, Format(u"Style '%s' already registered", {definition.Name})});
        continue;
      }
      FStyles.push_back({std::move(resource.Name), std::move(resource.Data), std::move(definition)});
    } catch (const EStyleFormat& error) {
      FSkipped.push_back({resource.Name, error.Message()});
    }
  }
  if (FSkipped.empty()) return;
  if (FSkipped.size() == 1) throw EStyleDiscovery(Format(u"Unable to load style '%s'", {FSkipped[0].ResourceName}));
  String names;
  for (const TSkipped& skipped : FSkipped) names += (names.empty() ? u"" : u", ") + skipped.ResourceName;
  throw EStyleDiscovery(Format(u"Unable to load styles: %s", {names}));
}

bool TStyleEngine::SelectStyle(const String& name) {
  Discover();
  const TRegistered* chosen = nullptr;
  if (!SameTextLocale(name, String(NativeStyleName))) {
    const auto found = std::find_if(FStyles.begin(), FStyles.end(), [&](const TRegistered& style) {
      return SameTextLocale(style.Definition.Name, name);
    });
    if (found == FStyles.end()) return false;
    chosen = &*found;
  }
  if (chosen != FActive) {
    FActive = chosen;
    if (FOnChange) FOnChange();
  }
  return true;
}

std::vector<String> TStyleEngine::StyleNames() {
  Discover();
  std::vector<String> names{String(NativeStyleName)};
  for (const TRegistered& style : FStyles) names.push_back(style.Definition.Name);
  return names;
}

const std::vector<uint8_t>& TStyleEngine::StyleData(const String& name) {
  Discover();
  for (const TRegistered& style : FStyles)
    if (style.Definition.Name == name) return style.Data;
  throw EStyleNotFound(Format(u"Style '%s' not found", {name}));
}

TStyleEngine& StyleEngine() {
  static TStyleEngine engine(EmbeddedStyleResources);
  return engine;
}

}  // namespace lumora
