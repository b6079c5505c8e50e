// Locale facts on Windows from the national-language functions.
#include <windows.h>

#include "os/Locale.h"
#include "os/win32/WideString.h"

namespace lumora {

namespace {

char16_t DecimalSeparatorOf(LCID locale) {
  wchar_t text[8] = {};
  if (::GetLocaleInfoW(locale, LOCALE_SDECIMAL, text, 8) < 2) return u'.';
  return static_cast<char16_t>(text[0]);
}

}  // namespace

char16_t SystemDecimalSeparator() { return DecimalSeparatorOf(LOCALE_SYSTEM_DEFAULT); }

char16_t UserDecimalSeparator() { return DecimalSeparatorOf(LOCALE_USER_DEFAULT); }

String UpperCaseLocale(StringView text) {
  std::wstring wide = Wide(text);
  if (!wide.empty()) ::CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return FromWide(wide.data(), wide.size());
}

}  // namespace lumora
