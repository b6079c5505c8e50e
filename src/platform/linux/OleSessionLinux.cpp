// No COM on Linux: GTK is initialised where windows are first needed.
#include "platform/OleSession.h"

namespace lumora {

TOleSession::TOleSession() = default;
TOleSession::~TOleSession() = default;

}  // namespace lumora
