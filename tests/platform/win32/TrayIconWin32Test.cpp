// The notification-area icon: shown and hidden through the shell, its hint
// kept, and a left click reaching OnClick once per click.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "platform/TrayIcon.h"
#include "support/win32/ImportHook.h"

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
  const HWND window = ::FindWindowW(L"LumoraTrayIcon", nullptr);
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

// The requests that reached the shell while the recorder below stands in
// for it.
std::vector<DWORD>* ShellIconRequests = nullptr;
using TNotifyIcon = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);
TNotifyIcon OriginalNotifyIcon = nullptr;

BOOL WINAPI RecordNotifyIcon(DWORD request, PNOTIFYICONDATAW data) {
  if (ShellIconRequests) ShellIconRequests->push_back(request);
  return OriginalNotifyIcon(request, data);
}

// A shell that starts again (after a crash, or a new one) announces itself
// with "TaskbarCreated" and knows no icons: a shown icon is added again,
// once per announcement; a hidden one stays hidden.
TEST(TrayIconWin32Test, ARestartedShellGetsTheIconAgain) {
  const TImportHook hook("SHELL32.dll", "Shell_NotifyIconW", reinterpret_cast<void*>(&RecordNotifyIcon));
  ASSERT_TRUE(hook.Original());
  OriginalNotifyIcon = reinterpret_cast<TNotifyIcon>(hook.Original());
  std::vector<DWORD> requests;
  ShellIconRequests = &requests;
  TTrayIcon icon;
  icon.SetHint(u"My site");
  const UINT created = ::RegisterWindowMessageW(L"TaskbarCreated");
  // The announcement is broadcast to top-level windows only, so the icon's
  // window is one (hidden), not a message-only window.
  const HWND window = ::FindWindowW(L"LumoraTrayIcon", nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(::IsWindowVisible(window));
  ::SendMessageW(window, created, 0, 0);
  EXPECT_TRUE(requests.empty());
  icon.SetVisible(true);
  ::SendMessageW(window, created, 0, 0);
  ::SendMessageW(window, created, 0, 0);
  EXPECT_EQ(requests, (std::vector<DWORD>{NIM_ADD, NIM_ADD, NIM_ADD}));
  EXPECT_TRUE(icon.Visible());
  icon.SetVisible(false);
  ::SendMessageW(window, created, 0, 0);
  ShellIconRequests = nullptr;
  EXPECT_EQ(requests, (std::vector<DWORD>{NIM_ADD, NIM_ADD, NIM_ADD, NIM_DELETE}));
}

}  // namespace
}  // namespace lumora::test
