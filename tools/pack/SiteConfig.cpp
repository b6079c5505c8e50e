#include "pack/SiteConfig.h"

#include <algorithm>
#include <optional>

#include "core/ConfigKeys.h"
#include "core/StrUtils.h"
#include "core/style/StyleEngine.h"
#include "pack/NearestName.h"
#include "os/File.h"

namespace lumora {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
// Key names are long; a slip of two letters still leaves them recognisable.
constexpr size_t kKeySlipEdits = 2;

// The known key an unknown name is a slip away from, or the empty text.
String MistypedKey(StringView name) {
  // Most window keys carry an "App" that is easily left out ("Title").
  if (const TConfigKey* key = FindConfigKey(u"App" + String(name)); key != nullptr) return String(key->Name);
  std::vector<String> known;
  for (const TConfigKey& key : ConfigKeys()) known.emplace_back(key.Name);
  return NearestName(name, known, kKeySlipEdits);
}

// Style names are short, and the usual slip is writing the resource name
// (AQUAGRAPHITE for Aqua Graphite): a few edits, but never most of the
// letters of a short name ("Dark" is not "Pink").
constexpr size_t kStyleSlipEdits = 3;
constexpr size_t kLettersPerStyleEdit = 4;

// The words of a name, in small ASCII letters.
std::vector<String> Words(const String& name) {
  std::vector<String> words;
  String word;
  for (const char16_t c : name + u" ") {
    const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
    if (letter) {
      word += c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
    } else if (!word.empty()) {
      words.push_back(std::move(word));
      word.clear();
    }
  }
  return words;
}

// Whether a style's window background is dark: what an author asking for a
// "dark" theme means.
bool IsDarkStyle(TStyleEngine& engine, const String& name) {
  if (!engine.SelectStyle(name) || engine.ActiveStyle() == nullptr) return false;
  const TStyleColor window = engine.ActiveStyle()->Color(TStyleColorRole::Window);
  return 299 * window.Red() + 587 * window.Green() + 114 * window.Blue() < 128 * 1000;
}

// The styles an unknown AppTheme may have meant, by the words of their
// names ("Metro" gives the three Metro styles, "Sapphire" Sapphire Kamri),
// the dark or light ones for "dark" or "light"; first of all the one a
// slip away.
std::vector<String> StyleSuggestions(const String& theme, const std::vector<String>& names) {
  const size_t edits = std::min(kStyleSlipEdits, std::max<size_t>(1, theme.size() / kLettersPerStyleEdit));
  if (String nearest = NearestName(theme, names, edits); !nearest.empty()) return {std::move(nearest)};
  TStyleEngine engine(EmbeddedStyleResources);
  std::vector<String> found;
  const std::vector<String> wanted = Words(theme);
  const auto has = [&wanted](std::initializer_list<StringView> words) {
    return std::any_of(wanted.begin(), wanted.end(), [&](const String& given) {
      return std::find(words.begin(), words.end(), given) != words.end();
    });
  };
  const bool dark = has({u"dark", u"black", u"night"});
  const bool light = has({u"light", u"white", u"bright"});
  for (const String& name : names) {
    if (name == NativeStyleName) continue;
    const std::vector<String> words = Words(name);
    bool matches = (dark || light) && IsDarkStyle(engine, name) == dark;
    for (const String& given : wanted) {
      matches = matches || std::any_of(words.begin(), words.end(), [&](const String& word) {
                  return given.size() >= 3 && word.starts_with(given);
                });
    }
    if (matches) found.push_back(name);
  }
  return found;
}

// A warning when AppTheme names no style the runtime has, suggesting what
// it may have meant; nothing when it names one. The names come from the
// same style files the runtime embeds, built into the packer too.
std::optional<String> UnknownStyleWarning(const String& theme) {
  TStyleEngine engine(EmbeddedStyleResources);
  const std::vector<String> names = engine.StyleNames();
  if (std::any_of(names.begin(), names.end(), [&](const String& name) { return SameTextLocale(name, theme); }))
    return std::nullopt;
  String warning = Format(
      u"AppTheme = \"%s\" names no style: the program shows \"Style '%s' not found\" and "
      u"keeps the native look",
      {theme, theme});
  const std::vector<String> suggestions = StyleSuggestions(theme, names);
  String list;
  for (const String& name : suggestions) list += (list.empty() ? u"\"" : u", \"") + name + u"\"";
  if (suggestions.size() == 1) warning += Format(u" (did you mean %s?)", {list});
  if (suggestions.size() > 1) warning += Format(u" (did you mean one of %s?)", {list});
  return warning;
}

// The section a "[Lumora]" written with a slip went to, or the empty text.
String MistypedSection(const TMemIniFile& config) {
  const std::vector<String> wanted{String(ConfigSection)};
  for (const String& name : config.SectionNames()) {
    if (!NearestName(name, wanted, kKeySlipEdits).empty()) return name;
  }
  return {};
}

}  // namespace

std::string TSiteConfig::EntryBytes(std::string_view fileBytes) {
  if (fileBytes.starts_with(kUtf8Mark)) return std::string(fileBytes);
  if (!fileBytes.starts_with(kUtf16LeMark) && !fileBytes.starts_with(kUtf16BeMark) && IsValidUtf8(fileBytes)) {
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
    String warning = Format(u"%s has no [%s] section: every key takes its default", {ConfigEntryName, ConfigSection});
    if (const String section = MistypedSection(config); !section.empty())
      warning += Format(u" (did you mean [%s] for [%s]?)", {ConfigSection, section});
    findings.Warnings.push_back(std::move(warning));
    return findings;
  }
  for (const String& name : config.ReadSection(ConfigSection)) {
    const TConfigKey* key = FindConfigKey(name);
    if (key == nullptr) {
      const String known = MistypedKey(name);
      if (known.empty()) {
        findings.Warnings.push_back(
            Format(u"unknown key \"%s\" in %s: the runtime does not read it", {name, ConfigEntryName}));
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
      findings.Warnings.push_back(Format(u"%s = \"%s\" is not a number: the runtime uses the default %s",
                                         {key->Name, value, IntToStr(key->NumberDefault)}));
    }
  }
  if (config.ValueExists(ConfigSection, u"AppTheme")) {
    const String theme = ReadConfigString(config, TConfigKeyId::AppTheme);
    if (theme.empty()) {
      // Present but empty is not the default: the runtime asks for a style
      // named "".
      findings.Errors.push_back(
          u"AppTheme is empty: the program would show \"Style '' not found\" at every "
          u"start. Remove the line for the native look, or name a style (see styles.md)");
    } else if (auto warning = UnknownStyleWarning(theme)) {
      findings.Warnings.push_back(std::move(*warning));
    }
  }
  return findings;
}

String TSiteConfig::StartEntryName(const TMemIniFile& config) {
  // The runtime navigates to "lmp://" + IndexPage; the request it then sees
  // is the URL after the scheme's colon.
  return StartEntryName(ReadConfigString(config, TConfigKeyId::IndexPage));
}

String TSiteConfig::StartEntryName(StringView indexPage) {
  const String request = u"//" + String(indexPage);
  return TStrUtils::RemoveQueryFromUri(TStrUtils::RemoveSideSlashes(TStrUtils::UrlDecode(request)));
}

}  // namespace lumora
