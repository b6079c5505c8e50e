#include "app/HandlerError.h"

#include "core/AppTitle.h"
#include "base/Exception.h"
#include "platform/MessageBox.h"

namespace lumora {

void ShowHandlerError(const std::exception& error) {
  const auto* own = dynamic_cast<const Exception*>(&error);
  const String message = own ? own->Message() : FromUtf8(error.what());
  ShowMessageBox(ErrorBoxText(message), ApplicationTitle(), mbIconError);
}

}  // namespace lumora
