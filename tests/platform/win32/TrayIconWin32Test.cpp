// The notification-area icon: shown and hidden through the shell, its hint
// kept, and a left click reaching OnClick once per click.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/TrayIcon.h"

namespace lumora::test {
namespace {

TEST(TrayIconWin32Test, ClicksReachOnClickAndTheHintIsKept) {
  TTrayIcon icon;
  int clicks = 0;
  icon.OnClick = [&] { ++clicks; };
  icon.SetHint(u"My site");
  icon.SetVisible(true);
  EXPECT_TRUE(icon.Visible());
  EXPECT_EQ(icon.Hint(), u"My site");

  // What the shell sends for the icon: a press and a release of the left
  // button (one click), a right click (no click).
  const HWND window = ::FindWindowExW(HWND_MESSAGE, nullptr, L"LumoraTrayIcon", nullptr);
  ASSERT_NE(window, nullptr);
  for (const UINT mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_LBUTTONUP}) {
    ::SendMessageW(window, WM_APP + 1, 1, mouse);
  }
  EXPECT_EQ(clicks, 2);

  icon.SetHint(u"Renamed");
  EXPECT_EQ(icon.Hint(), u"Renamed");
  icon.SetVisible(false);
  EXPECT_FALSE(icon.Visible());
}

}  // namespace
}  // namespace lumora::test
