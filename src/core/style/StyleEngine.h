// The style engine's registry: which styles exist, which one is active.
//
// Discovery reads every style resource once, before the first request is
// answered; a resource that is not a valid style file or repeats a
// registered name is skipped, and when discovery is over a skipped resource
// is reported as EStyleDiscovery. "Windows", the native look, always exists
// and is active until another style is chosen.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "base/Exception.h"
#include "core/style/StyleDefinition.h"
#include "os/StyleResources.h"

namespace lumora {

// "Unable to load style '%s'" (one skipped resource) or "Unable to load
// styles: %s" (several), with the resource names.
class EStyleDiscovery : public Exception {
  using Exception::Exception;
};

// A style name nothing is registered under: "Style '%s' not found".
class EStyleNotFound : public Exception {
  using Exception::Exception;
};

inline constexpr StringView NativeStyleName = u"Windows";

class TStyleEngine {
 public:
  using TResourceSource = std::function<std::vector<TStyleResource>()>;

  // source is asked once, at the first request.
  explicit TStyleEngine(TResourceSource source);

  // Makes the style matching name (case ignored under the user's locale)
  // active and returns true; with no match the active style stays and the
  // result is false.
  bool SelectStyle(const String& name);

  // "Windows" first, then the registered styles in resource order.
  std::vector<String> StyleNames();

  String ActiveStyleName() const { return FActive ? FActive->Definition.Name : String(NativeStyleName); }
  // The active style's definition; none while the native look is active.
  const TStyleDefinition* ActiveStyle() const { return FActive ? &FActive->Definition : nullptr; }

  // The registered file of the style named exactly name (as the preview
  // needs it). Raises EStyleNotFound.
  const std::vector<uint8_t>& StyleData(const String& name);

  // Why discovery skipped each resource it skipped, in resource order.
  struct TSkipped {
    String ResourceName;
    String Reason;  // "Invalid style format" or "Style '%s' already registered"
  };
  const std::vector<TSkipped>& Skipped() const { return FSkipped; }

  // Called after every change of the active style, so the backend can
  // repaint its windows.
  void SetOnChange(std::function<void()> onChange) { FOnChange = std::move(onChange); }

 private:
  struct TRegistered {
    String ResourceName;
    std::vector<uint8_t> Data;
    TStyleDefinition Definition;
  };

  void Discover();

  TResourceSource FSource;
  bool FDiscovered = false;
  std::vector<TRegistered> FStyles;
  std::vector<TSkipped> FSkipped;
  const TRegistered* FActive = nullptr;
  std::function<void()> FOnChange;
};

// The process's engine over the embedded style resources.
TStyleEngine& StyleEngine();

}  // namespace lumora
