// The message boxes as the user sees them: caption, text, an error icon
// only when asked for, and one OK button. Read from the box's own windows
// while it is up, from a timer of its modal loop.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "core/os/MessageBox.h"
#include "platform/win32/OwnWindow.h"

namespace lumora::test {
namespace {

struct TBoxSeen {
  bool Found = false;
  std::wstring Text;
  bool Icon = false;
  int Buttons = 0;
  bool Ok = false;
  std::wstring OkLabel;
};
TBoxSeen Seen;
const wchar_t* Caption = nullptr;

BOOL CALLBACK LookAtChild(HWND child, LPARAM) {
  wchar_t className[32] = {};
  ::GetClassNameW(child, className, 32);
  const LONG style = ::GetWindowLongW(child, GWL_STYLE);
  if (!::IsWindowVisible(child)) return TRUE;
  if (std::wstring(className) == L"Button") {
    ++Seen.Buttons;
    Seen.Ok = Seen.Ok || ::GetDlgCtrlID(child) == IDOK;
    if (::GetDlgCtrlID(child) == IDOK) {
      wchar_t label[32] = {};
      ::GetWindowTextW(child, label, 32);
      Seen.OkLabel = label;
    }
  } else if (std::wstring(className) == L"Static") {
    if ((style & SS_TYPEMASK) == SS_ICON) {
      Seen.Icon = Seen.Icon || ::SendMessageW(child, STM_GETICON, 0, 0) != 0;
    } else {
      wchar_t text[256] = {};
      ::GetWindowTextW(child, text, 256);
      if (text[0]) Seen.Text = text;
    }
  }
  return TRUE;
}

void CALLBACK InspectAndDismiss(HWND, UINT, UINT_PTR timer, DWORD) {
  const HWND box = FindOwnWindow(L"#32770", Caption);
  if (!box) return;  // not up yet: the timer comes again
  ::KillTimer(nullptr, timer);
  Seen.Found = true;
  ::EnumChildWindows(box, &LookAtChild, 0);
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TBoxSeen Show(const String& text, const wchar_t* caption, uint32_t flags) {
  Seen = {};
  Caption = caption;
  ::SetTimer(nullptr, 0, 50, &InspectAndDismiss);
  ShowMessageBox(text, String(reinterpret_cast<const char16_t*>(caption)), flags);
  return Seen;
}

TEST(MessageBoxWin32Test, CaptionTextIconAndOneOkButton) {
  const TBoxSeen error = Show(u"This is not a valid Windows application", L"Error", mbIconError | mbOk);
  ASSERT_TRUE(error.Found);
  EXPECT_EQ(error.Text, L"This is not a valid Windows application");
  EXPECT_TRUE(error.Icon);
  EXPECT_EQ(error.Buttons, 1);
  EXPECT_TRUE(error.Ok);

  const TBoxSeen plain = Show(u"Runtime error 217 at 00000003", L"Error", mbOk);
  ASSERT_TRUE(plain.Found);
  EXPECT_EQ(plain.Text, L"Runtime error 217 at 00000003");
  EXPECT_FALSE(plain.Icon);
  EXPECT_EQ(plain.Buttons, 1);
  EXPECT_TRUE(plain.Ok);
}

TEST(MessageBoxWin32Test, TheStyleNotFoundBoxHasASingleCloseButton) {
  const TBoxSeen box = Show(u"Style 'AQUAGRAPHITE' not found", L"Styled", mbIconError | mbClose);
  ASSERT_TRUE(box.Found);
  EXPECT_EQ(box.Text, L"Style 'AQUAGRAPHITE' not found");
  EXPECT_TRUE(box.Icon);
  EXPECT_EQ(box.Buttons, 1);
  EXPECT_EQ(box.OkLabel, L"Close");

  // The relabelling ends with that box.
  EXPECT_EQ(Show(u"Later", L"Plain", mbOk).OkLabel, L"OK");
}

}  // namespace
}  // namespace lumora::test
