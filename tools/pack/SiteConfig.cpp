#include "pack/SiteConfig.h"

#include <algorithm>
#include <optional>

#include "core/ConfigKeys.h"
#include "core/StrUtils.h"
#include "core/style/StyleEngine.h"
#include "pack/NearestName.h"
#include "core/os/File.h"

namespace lumora {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
// Key names are long; a slip of two letters still leaves them recognisable.
constexpr size_t kKeySlipEdits = 2;

// The known key an unknown name is a slip away from, or the empty text.
String MistypedKey(StringView name) {
  std::vector<String> known;
  for (const TConfigKey& key : ConfigKeys()) known.emplace_back(key.Name);
  return NearestName(name, known, kKeySlipEdits);
}

// Style names are short, and the usual slip is writing the resource name
// (AQUAGRAPHITE for Aqua Graphite): a few edits.
constexpr size_t kStyleSlipEdits = 3;

// A warning when AppTheme names no style the runtime has, suggesting the
// nearest name; nothing when it names one. The names come from the same
// style files the runtime embeds, built into the packer too.
std::optional<String> UnknownStyleWarning(const String& theme) {
  TStyleEngine engine(EmbeddedStyleResources);
  const std::vector<String> names = engine.StyleNames();
  if (std::any_of(names.begin(), names.end(), [&](const String& name) { return SameTextLocale(name, theme); }))
    return std::nullopt;
  String warning = Format(u"AppTheme = \"%s\" names no style: the program shows \"Style '%s' not found\" and "
                          u"keeps the native look",
                          {theme, theme});
  // An empty value is a few edits from any short name, and near none.
  if (const String nearest = theme.empty() ? String() : NearestName(theme, names, kStyleSlipEdits); !nearest.empty())
    warning += Format(u" (did you mean \"%s\"?)", {nearest});
  return warning;
}

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

bool TSiteConfig::IsUtf16WithoutMark(std::string_view fileBytes) {
  if (fileBytes.starts_with(kUtf16LeMark) || fileBytes.starts_with(kUtf16BeMark)) return false;
  // INI text is mostly ASCII: in UTF-16 every other byte of it is zero.
  const size_t pairs = std::min<size_t>(fileBytes.size() / 2, 256);
  size_t little = 0;
  size_t big = 0;
  for (size_t i = 0; i < pairs; ++i) {
    const char first = fileBytes[2 * i];
    const char second = fileBytes[2 * i + 1];
    if (first != 0 && second == 0) ++little;
    if (first == 0 && second != 0) ++big;
  }
  return pairs >= 2 && std::max(little, big) * 4 >= pairs * 3;
}

TConfigFindings TSiteConfig::Check(const TMemIniFile& config, bool allowUnknownKeys) {
  TConfigFindings findings;
  if (!config.SectionExists(ConfigSection)) {
    findings.Warnings.push_back(Format(u"%s has no [%s] section: every key takes its default",
                                       {ConfigEntryName, ConfigSection}));
    return findings;
  }
  for (const String& name : config.ReadSection(ConfigSection)) {
    const TConfigKey* key = FindConfigKey(name);
    if (key == nullptr) {
      const String known = MistypedKey(name);
      if (known.empty()) {
        findings.Warnings.push_back(Format(u"unknown key \"%s\" in %s: the runtime does not read it",
                                           {name, ConfigEntryName}));
      } else if (allowUnknownKeys) {
        findings.Warnings.push_back(
            Format(u"unknown key \"%s\" in %s: the runtime does not read it (did you mean \"%s\"?)",
                   {name, ConfigEntryName, known}));
      } else {
        findings.Errors.push_back(
            Format(u"unknown key \"%s\" in %s: did you mean \"%s\"? The runtime would not read it "
                   u"(--allow-unknown-keys packs it anyway)",
                   {name, ConfigEntryName, known}));
      }
      continue;
    }
    if (key->Type != TConfigKeyType::Integer && key->Type != TConfigKeyType::Boolean) continue;
    const String value = config.ReadString(ConfigSection, name, u"");
    int32_t number = 0;
    if (!TMemIniFile::TryParseInteger(value, number)) {
      findings.Warnings.push_back(
          Format(u"%s = \"%s\" is not a number: the runtime uses the default %s",
                 {key->Name, value, IntToStr(key->NumberDefault)}));
    }
  }
  if (config.ValueExists(ConfigSection, u"AppTheme")) {
    if (auto warning = UnknownStyleWarning(ReadConfigString(config, TConfigKeyId::AppTheme)))
      findings.Warnings.push_back(std::move(*warning));
  }
  return findings;
}

String TSiteConfig::StartEntryName(const TMemIniFile& config) {
  // The runtime navigates to "lmp://" + IndexPage; the request it then sees
  // is the URL after the scheme's colon.
  const String request = u"//" + ReadConfigString(config, TConfigKeyId::IndexPage);
  return TStrUtils::RemoveQueryFromUri(TStrUtils::RemoveSideSlashes(TStrUtils::UrlDecode(request)));
}

}  // namespace lumora
