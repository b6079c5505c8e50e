#include "core/browser/HistoryKeys.h"

namespace lumora {

namespace {

constexpr int kBackspace = 0x08;
constexpr int kLeft = 0x25;
constexpr int kRight = 0x27;
constexpr int kBrowserBack = 0xA6;
constexpr int kBrowserForward = 0xA7;

}  // namespace

int HistoryStepOfKey(int virtualKey, TKeyModifiers modifiers) {
  const bool none = !modifiers.Shift && !modifiers.Ctrl && !modifiers.Alt;
  const bool altAlone = modifiers.Alt && !modifiers.Shift && !modifiers.Ctrl;
  switch (virtualKey) {
    case kBrowserBack: return none ? -1 : 0;
    case kBrowserForward: return none ? 1 : 0;
    case kLeft: return altAlone ? -1 : 0;
    case kRight: return altAlone ? 1 : 0;
    case kBackspace:
      if (none) return -1;
      return modifiers.Shift && !modifiers.Ctrl && !modifiers.Alt ? 1 : 0;
    default: return 0;
  }
}

}  // namespace lumora
