#include "core/AppTitle.h"

#include "base/UnicodeCase.h"
#include "os/File.h"

namespace lumora {

String ApplicationTitle() { return ApplicationTitleOf(ExecutablePath()); }

String ApplicationTitleOf(const String& executablePath) {
  String name = executablePath;
  const size_t slash = name.find_last_of(String{PathDelim, u'/'});
  if (slash != String::npos) name.erase(0, slash + 1);
  const size_t dot = name.rfind(u'.');
  if (dot != String::npos) name.erase(dot);
  // The first character may be a surrogate pair.
  const bool pair =
      name.size() >= 2 && name[0] >= 0xD800 && name[0] <= 0xDBFF && name[1] >= 0xDC00 && name[1] <= 0xDFFF;
  const size_t first = name.empty() ? 0 : (pair ? 2 : 1);
  return name.substr(0, first) + LowerCaseUnicode(StringView(name).substr(first));
}

String ErrorBoxText(const String& message) {
  if (!message.empty() && message.back() > u'.') return message + u".";
  return message;
}

}  // namespace lumora
