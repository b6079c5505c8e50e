#include "pack/SiteConfig.h"

#include "core/ConfigKeys.h"
#include "core/StrUtils.h"

namespace lumora {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

}  // namespace

std::string TSiteConfig::EntryBytes(std::string_view fileBytes) {
  if (fileBytes.starts_with(kUtf8Mark)) return std::string(fileBytes);
  if (!fileBytes.starts_with(kUtf16LeMark) && !fileBytes.starts_with(kUtf16BeMark) &&
      IsValidUtf8(fileBytes)) {
    return std::string(kUtf8Mark) + std::string(fileBytes);
  }
  // UTF-16, or 8-bit text in the ANSI code page: decoded by the runtime's
  // own rules (a NUL ends the text there too).
  return std::string(kUtf8Mark) + ToUtf8(TMemIniFile::DecodeText(fileBytes));
}

std::vector<String> TSiteConfig::Check(const TMemIniFile& config) {
  std::vector<String> warnings;
  if (!config.SectionExists(ConfigSection)) {
    warnings.push_back(Format(u"%s has no [%s] section: every key takes its default",
                              {ConfigEntryName, ConfigSection}));
    return warnings;
  }
  for (const String& name : config.ReadSection(ConfigSection)) {
    const TConfigKey* key = FindConfigKey(name);
    if (key == nullptr) {
      warnings.push_back(Format(u"unknown key \"%s\" in %s: the runtime does not read it",
                                {name, ConfigEntryName}));
      continue;
    }
    if (key->Type != TConfigKeyType::Integer && key->Type != TConfigKeyType::Boolean) continue;
    const String value = config.ReadString(ConfigSection, name, u"");
    int32_t number = 0;
    if (!TMemIniFile::TryParseInteger(value, number)) {
      warnings.push_back(Format(u"%s = \"%s\" is not a number: the runtime uses the default %s",
                                {key->Name, value, IntToStr(key->NumberDefault)}));
    }
  }
  return warnings;
}

String TSiteConfig::StartEntryName(const TMemIniFile& config) {
  // The runtime navigates to "lmp://" + IndexPage; the request it then sees
  // is the URL after the scheme's colon.
  const String request = u"//" + ReadConfigString(config, TConfigKeyId::IndexPage);
  return TStrUtils::RemoveQueryFromUri(TStrUtils::RemoveSideSlashes(TStrUtils::UrlDecode(request)));
}

}  // namespace lumora
