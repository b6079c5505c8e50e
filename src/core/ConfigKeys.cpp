#include "core/ConfigKeys.h"

#include <array>

#include "core/IniFile.h"
#include "os/Locale.h"

namespace lumora {

namespace {

constexpr auto kText = TConfigKeyType::Text;
constexpr auto kNumber = TConfigKeyType::Integer;
constexpr auto kFlag = TConfigKeyType::Boolean;

constexpr std::array<TConfigKey, 20> kKeys = {{
    {u"AppTheme", kText, u"Windows", 0},
    {u"AppTitle", kText, u"", 0},
    {u"AppPassword", kText, u"", 0},
    {u"UseTrayIcon", kFlag, u"", 0},
    {u"RootDirName", kText, u"", 0},
    {u"AppEscapeClose", kFlag, u"", 0},
    {u"IndexPage", kText, u"", 0},
    {u"ExtractFileExts", kText, u"zip mp3 mp4", 0},
    {u"ExecuteFileExts", kText, u"exe", 0},
    {u"AppWindowWidth", kNumber, u"", 800},
    {u"AppWindowHeight", kNumber, u"", 600},
    {u"HideJsErrors", kFlag, u"", 1},
    {u"AllowCopyText", kFlag, u"", 0},
    {u"AppWindowStyle", kNumber, u"", 0},
    {u"AppBorderStyle", kNumber, u"", 2},
    {u"AppWindowMinWidth", kNumber, u"", 0},
    {u"AppWindowMaxWidth", kNumber, u"", 0},
    {u"AppWindowMinHeight", kNumber, u"", 0},
    {u"AppWindowMaxHeight", kNumber, u"", 0},
    {u"AppWindowOrder", kNumber, u"", 0},
}};

static_assert(static_cast<size_t>(TConfigKeyId::AppWindowOrder) + 1 == kKeys.size());

}  // namespace

std::span<const TConfigKey> ConfigKeys() { return kKeys; }

const TConfigKey& ConfigKey(TConfigKeyId id) { return kKeys.at(static_cast<size_t>(id)); }

const TConfigKey* FindConfigKey(StringView name) {
  const String wanted = UpperCaseLocale(name);
  for (const TConfigKey& key : kKeys) {
    if (UpperCaseLocale(key.Name) == wanted) return &key;
  }
  return nullptr;
}

String ReadConfigString(const TMemIniFile& ini, TConfigKeyId id) {
  const TConfigKey& key = ConfigKey(id);
  return ini.ReadString(ConfigSection, key.Name, key.TextDefault);
}

int32_t ReadConfigInteger(const TMemIniFile& ini, TConfigKeyId id) {
  const TConfigKey& key = ConfigKey(id);
  return ini.ReadInteger(ConfigSection, key.Name, key.NumberDefault);
}

bool ReadConfigBool(const TMemIniFile& ini, TConfigKeyId id) {
  const TConfigKey& key = ConfigKey(id);
  return ini.ReadBool(ConfigSection, key.Name, key.NumberDefault != 0);
}

}  // namespace lumora
