// Modal message boxes with the platform's look and the system's texts.
#pragma once

#include <cstdint>

#include "base/String.h"

namespace lumora {

// The subset of the Win32 flags the system uses, with their Win32 values,
// and mbClose, ours: the single button reads "Close" instead of "OK"
// (a bit MessageBoxW does not use, which the Windows backend takes out).
enum TMessageBoxFlags : uint32_t {
  mbOk = 0x00,
  mbIconError = 0x10,
  mbClose = 0x40000000,
};

// Shows a modal box owned by the thread's active window (none at start-up)
// and returns when it is dismissed. On Linux, with no display to show it on,
// the text goes to standard error instead.
void ShowMessageBox(const String& text, const String& caption, uint32_t flags);

}  // namespace lumora
