// The application title and the text of the error box of event handlers.
#pragma once

#include "base/String.h"

namespace lumora {

// The executable's file name without its extension, every character but
// the first in lower case by Unicode's rules (base/UnicodeCase.h), the same
// in every locale.
String ApplicationTitle();
// The same for the program file path.
String ApplicationTitleOf(const String& executablePath);

// The text of an error box: the message, with "." appended when its last
// character's code is above that of ".".
String ErrorBoxText(const String& message);

}  // namespace lumora
