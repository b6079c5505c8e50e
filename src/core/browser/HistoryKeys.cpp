#include "core/browser/HistoryKeys.h"

namespace lumora {

namespace {

constexpr int kBackspace = 0x08;
constexpr int kLeft = 0x25;
constexpr int kRight = 0x27;
constexpr int kBrowserBack = 0xA6;
constexpr int kBrowserForward = 0xA7;

}  // namespace

THistoryStep HistoryStepOfKey(int virtualKey, TKeyModifiers modifiers) {
  const bool none = !modifiers.Shift && !modifiers.Ctrl && !modifiers.Alt;
  const bool altAlone = modifiers.Alt && !modifiers.Shift && !modifiers.Ctrl;
  const bool shiftAlone = modifiers.Shift && !modifiers.Ctrl && !modifiers.Alt;
  switch (virtualKey) {
    case kBrowserBack:
      return {none ? -1 : 0};
    case kBrowserForward:
      return {none ? 1 : 0};
    case kLeft:
      return {altAlone ? -1 : 0};
    case kRight:
      return {altAlone ? 1 : 0};
    case kBackspace:
      return {none ? -1 : shiftAlone ? 1 : 0, true};
    default:
      return {};
  }
}

}  // namespace lumora
