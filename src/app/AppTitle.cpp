#include "app/AppTitle.h"

#include <cwctype>

#include "core/Exception.h"
#include "platform/File.h"
#include "platform/MessageBox.h"

namespace lumora {

String ApplicationTitle() {
  String name = ExecutablePath();
  const size_t slash = name.find_last_of(u"/\\");
  if (slash != String::npos) name.erase(0, slash + 1);
  const size_t dot = name.rfind(u'.');
  if (dot != String::npos) name.erase(dot);
  for (size_t i = 1; i < name.size(); ++i) {
    // The title's letters are lowered under the user's locale; one UTF-16
    // unit at a time, as the framework does.
    name[i] = static_cast<char16_t>(std::towlower(static_cast<wint_t>(name[i])));
  }
  return name;
}

String ErrorBoxText(const String& message) {
  if (!message.empty() && message.back() > u'.') return message + u".";
  return message;
}

void ShowHandlerError(const std::exception& error) {
  const auto* own = dynamic_cast<const Exception*>(&error);
  const String message = own ? own->Message() : FromUtf8(error.what());
  ShowMessageBox(ErrorBoxText(message), ApplicationTitle(), mbIconError);
}

}  // namespace lumora
