// The error box of event handlers.
#pragma once

#include <exception>

namespace lumora {

// Shows error's message in the error box captioned with the application
// title.
void ShowHandlerError(const std::exception& error);

}  // namespace lumora
