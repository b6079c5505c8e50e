// The application title and the error box of event handlers.
#pragma once

#include <exception>

#include "core/String.h"

namespace lumora {

// The executable's file name without its extension, every character but
// the first in lower case.
String ApplicationTitle();

// The text of an error box: the message, with "." appended when its last
// character's code is above that of ".".
String ErrorBoxText(const String& message);

// Shows error in the error box captioned with the application title.
void ShowHandlerError(const std::exception& error);

}  // namespace lumora
