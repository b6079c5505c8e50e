// The configuration keys a packaged site may set: one table of names, types
// and defaults, shared by the runtime (which reads them) and the packer
// (which warns about keys it does not know).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "base/String.h"

namespace lumora {

class TMemIniFile;

// The archive entry that holds the configuration, and its one section.
inline constexpr StringView ConfigEntryName = u"lm-config";
inline constexpr StringView ConfigSection = u"Lumora";
// The archive entry that holds the program's window icon (a PNG or ICO
// image) where the program file itself carries none, as on Linux.
inline constexpr StringView IconEntryName = u"lm-icon";
// The archive entry that marks a preview program, packed by "lumora-pack
// --run" and by nothing else: the developer switches the packer hands the
// program in its environment are honoured only alongside it, so the user of
// a finished program can never turn them on.
inline constexpr StringView PreviewEntryName = u"lm-preview";
// The environment variable with which the preview asks for the web
// engine's inspector ("1").
inline constexpr const char* kInspectEnvironmentName = "LUMORA_INSPECT";
// The environment variable with which the preview's --watch names the file
// it packs the site into again; the program reloads its archive from there
// when asked (Linux: SIGUSR2).
inline constexpr const char* kReloadEnvironmentName = "LUMORA_PREVIEW_RELOAD";

// Text is a string key (the name String is taken by the text type).
enum class TConfigKeyType { Text, Integer, Boolean };

struct TConfigKey {
  StringView Name;
  TConfigKeyType Type;
  // The default of a string key.
  StringView TextDefault;
  // The default of an integer key; of a Boolean key, 1 for true, 0 for false.
  int32_t NumberDefault;
};

// The keys, in the order in which the main window reads them at start-up.
enum class TConfigKeyId : size_t {
  AppTheme,
  AppTitle,
  AppPassword,
  UseTrayIcon,
  RootDirName,
  AppEscapeClose,
  IndexPage,
  ExtractFileExts,
  ExecuteFileExts,
  AppWindowWidth,
  AppWindowHeight,
  HideJsErrors,
  AllowCopyText,
  AppWindowStyle,
  AppBorderStyle,
  AppWindowMinWidth,
  AppWindowMaxWidth,
  AppWindowMinHeight,
  AppWindowMaxHeight,
  AppWindowOrder,
};

// All keys, indexed by TConfigKeyId.
std::span<const TConfigKey> ConfigKeys();
const TConfigKey& ConfigKey(TConfigKeyId id);
// The key of that name, matched as the reader matches names (letter case
// ignored under the user's locale), or nullptr for a key nobody reads.
const TConfigKey* FindConfigKey(StringView name);

// A key's value from the configuration section, with the key's default.
String ReadConfigString(const TMemIniFile& ini, TConfigKeyId id);
int32_t ReadConfigInteger(const TMemIniFile& ini, TConfigKeyId id);
bool ReadConfigBool(const TMemIniFile& ini, TConfigKeyId id);

}  // namespace lumora
