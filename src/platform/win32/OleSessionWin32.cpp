#include <ole2.h>
#include <windows.h>

#include "platform/OleSession.h"

namespace lumora {

TOleSession::TOleSession() : FInitialized(SUCCEEDED(::OleInitialize(nullptr))) {}

TOleSession::~TOleSession() {
  if (FInitialized) ::OleUninitialize();
}

}  // namespace lumora
