// The browser component's fixed settings that every backend applies the
// same way: the host flags the browser form asks for, and the Ctrl
// shortcuts it swallows.
#pragma once

#include <cstdint>

#include "base/String.h"

namespace lumora {

// The DOCHOSTUIFLAG members of the form's user-interface options.
inline constexpr uint32_t kHostFlagDisableTextSelect = 0x1;
inline constexpr uint32_t kHostFlagDisableHelpMenu = 0x2;
inline constexpr uint32_t kHostFlagDontUse3DBorders = 0x4;
inline constexpr uint32_t kHostFlagDisablePicsRatings = 0x100000;

// The host flags of a browser form: no help menu, flat borders, no PICS
// ratings, and text selection only when the configuration allows it
// (0x100006 with selection, 0x100007 without).
constexpr uint32_t BrowserHostFlags(bool allowTextSelect) {
  return kHostFlagDisableHelpMenu | kHostFlagDontUse3DBorders | kHostFlagDisablePicsRatings |
         (allowTextSelect ? 0 : kHostFlagDisableTextSelect);
}

// The letters whose Ctrl shortcuts the browser never sees (Ctrl+Y would
// redo in an editable field).
inline constexpr StringView kDisabledCtrlShortcuts = u"Y";

// Whether a key-down is swallowed: Ctrl alone (no Shift, no Alt) held with
// a key whose virtual-key code is one of the disabled letters.
constexpr bool IsDisabledCtrlShortcut(int key, bool ctrl, bool shift, bool alt) {
  if (!ctrl || shift || alt) return false;
  for (const char16_t letter : kDisabledCtrlShortcuts) {
    if (key == static_cast<int>(letter)) return true;
  }
  return false;
}

}  // namespace lumora
