// Locale facts on Linux.
//
// The user's locale is the one the environment names for numbers (LC_ALL,
// LC_NUMERIC, LANG, as setlocale reads them). The system default locale,
// the counterpart of Windows' machine-wide LOCALE_SYSTEM_DEFAULT, is the
// one the distribution configures for every login: /etc/default/locale
// (Debian, Ubuntu) or /etc/locale.conf (systemd distributions), falling back
// to POSIX "C" when neither names an installed locale. Neither reading
// touches the process-wide locale.
#include <glib.h>
#include <langinfo.h>
#include <locale.h>

#include <fstream>
#include <string>

#include "os/Locale.h"

namespace lumora {

namespace {

// The locale name a shell-style assignment file gives for numbers, or "".
std::string NumericLocaleFromFile(const char* path) {
  std::ifstream file(path);
  std::string line;
  std::string all, numeric, lang;
  while (std::getline(file, line)) {
    const size_t equals = line.find('=');
    if (line.empty() || line[0] == '#' || equals == std::string::npos) continue;
    const std::string name = line.substr(0, equals);
    std::string value = line.substr(equals + 1);
    while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
      value = value.substr(1, value.size() - 2);
    }
    if (name == "LC_ALL") all = value;
    if (name == "LC_NUMERIC") numeric = value;
    if (name == "LANG") lang = value;
  }
  if (!all.empty()) return all;
  return numeric.empty() ? lang : numeric;
}

char16_t DecimalSeparatorOf(const std::string& localeName) {
  const locale_t locale = ::newlocale(LC_NUMERIC_MASK, localeName.c_str(), locale_t{});
  if (locale == locale_t{}) return u'.';
  const String radix = FromUtf8(::nl_langinfo_l(RADIXCHAR, locale));
  ::freelocale(locale);
  return radix.empty() ? u'.' : radix[0];
}

}  // namespace

char16_t SystemDecimalSeparator() {
  std::string name = NumericLocaleFromFile("/etc/default/locale");
  if (name.empty()) name = NumericLocaleFromFile("/etc/locale.conf");
  return DecimalSeparatorOf(name.empty() ? "C" : name);
}

// newlocale with "" takes the name from the environment.
char16_t UserDecimalSeparator() { return DecimalSeparatorOf(""); }

String UpperCaseLocale(StringView text) {
  // Letters whose capital needs another length keep their form.
  return MapCodePoints(text, [](char32_t c) -> char32_t { return g_unichar_toupper(c); });
}

}  // namespace lumora
