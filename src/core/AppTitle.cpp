#include "core/AppTitle.h"

#include <cwctype>

#include "core/os/File.h"

namespace lumora {

String ApplicationTitle() { return ApplicationTitleOf(ExecutablePath()); }

String ApplicationTitleOf(const String& executablePath) {
  String name = executablePath;
  const size_t slash = name.find_last_of(String{PathDelim, u'/'});
  if (slash != String::npos) name.erase(0, slash + 1);
  const size_t dot = name.rfind(u'.');
  if (dot != String::npos) name.erase(dot);
  for (size_t i = 1; i < name.size(); ++i) {
    // One UTF-16 unit at a time, by the C library's current locale (ASCII
    // letters at least).
    name[i] = static_cast<char16_t>(std::towlower(static_cast<wint_t>(name[i])));
  }
  return name;
}

String ErrorBoxText(const String& message) {
  if (!message.empty() && message.back() > u'.') return message + u".";
  return message;
}

}  // namespace lumora
