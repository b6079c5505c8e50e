#include "core/browser/HistoryKeys.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

TEST(HistoryKeysTest, TheKeysOfTheWindowsControl) {
  constexpr TKeyModifiers kNone{};
  constexpr TKeyModifiers kShift{true, false, false};
  constexpr TKeyModifiers kCtrl{false, true, false};
  constexpr TKeyModifiers kAlt{false, false, true};
  constexpr TKeyModifiers kAltShift{true, false, true};
  // One case a line, with its comment.
  // clang-format off
  const struct Case {
    int Key;
    TKeyModifiers Held;
    int Step;
    bool PageFirst;
  } cases[] = {
      {0x08, kNone, -1, true},    // Backspace, unless a text field takes it
      {0x08, kShift, 1, true},
      {0x08, kCtrl, 0, true},     // deletes a word in a field, never steps
      {0x08, kAlt, 0, true},
      {0x25, kAlt, -1, false},    // Alt+Left
      {0x27, kAlt, 1, false},     // Alt+Right
      {0x25, kNone, 0, false},    // the arrows alone scroll or move the caret
      {0x27, kAltShift, 0, false},
      {0x25, kCtrl, 0, false},
      {0xA6, kNone, -1, false},   // the keyboard's Back and Forward keys
      {0xA7, kNone, 1, false},
      {0xA6, kCtrl, 0, false},
      {'B', kAlt, 0, false},
      {0x1B, kNone, 0, false},
  };
  // clang-format on
  for (const Case& c : cases) {
    const THistoryStep step = HistoryStepOfKey(c.Key, c.Held);
    EXPECT_EQ(step.Step, c.Step) << c.Key << " shift " << c.Held.Shift << " ctrl " << c.Held.Ctrl << " alt "
                                 << c.Held.Alt;
    if (step.Step != 0) {
      EXPECT_EQ(step.PageFirst, c.PageFirst) << c.Key;
    }
  }
}

}  // namespace
}  // namespace lumora
