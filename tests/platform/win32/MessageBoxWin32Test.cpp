// The message boxes as the user sees them: caption, text, an error icon
// only when asked for, and one OK button. Read from the box's own windows
// while it is up, from a timer of its modal loop.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <typeinfo>

#include "app/RuntimeError.h"
#include "app/StylesUtils.h"
#include "core/AppTitle.h"
#include "base/Exception.h"
#include "core/ExeUtils.h"
#include "os/File.h"
#include "platform/MessageBox.h"
#include "os/win32/WideString.h"
#include "support/win32/OwnWindow.h"
#include "support/TestSupport.h"

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

// The box captioned caption that show puts up, as it was, answered OK.
template <typename TShow>
TBoxSeen SeenWhile(const wchar_t* caption, TShow show) {
  Seen = {};
  Caption = caption;
  ::SetTimer(nullptr, 0, 50, &InspectAndDismiss);
  show();
  return Seen;
}

TBoxSeen Show(const String& text, const wchar_t* caption, uint32_t flags) {
  return SeenWhile(caption, [&] { ShowMessageBox(text, String(reinterpret_cast<const char16_t*>(caption)), flags); });
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

// The texts as the program composes them, each in the box it shows.
TEST(MessageBoxWin32Test, TheProgramsOwnTextsAsItComposesThem) {
  // A runtime without an archive (this test program carries none): the box
  // start-up shows for it, then the program ends with 0 and no copy is made.
  TScratchDir dir;
  const String copy = dir.File(u"copy.archive");
  int exitCode = -1;
  const TBoxSeen bare = SeenWhile(L"Error", [&] {
    try {
      TExeUtils().ExtractZipFromExe(copy);
    } catch (const ENoAppendedArchive& exit) {
      exitCode = exit.ExitCode();
      ShowMessageBox(ENoAppendedArchive::Text, u"Error", mbIconError | mbOk);
    }
  });
  ASSERT_TRUE(bare.Found);
  EXPECT_EQ(bare.Text, L"This is not a valid Windows application");
  EXPECT_TRUE(bare.Icon);
  EXPECT_EQ(exitCode, 0);
  EXPECT_FALSE(FileExists(copy));

  // The runtime-error box: the failure point in eight upper-case digits.
  EXPECT_EQ(RuntimeErrorText(0x0300D5B2), u"Runtime error 217 at 0300D5B2");
  EXPECT_EQ(RuntimeErrorText(0xA), u"Runtime error 217 at 0000000A");
  const uint32_t point = FailurePoint(3, typeid(Exception).name());
  EXPECT_EQ(point >> 24, 3u);
  EXPECT_NE(point, FailurePoint(3, typeid(EFCreateError).name()));

  // An unknown style, captioned with the application title.
  const std::wstring title = Wide(ApplicationTitle());
  const TBoxSeen style = SeenWhile(title.c_str(), [] { TStylesUtils::TrySetStyle(u"Aqua Graphite \u00C9", true); });
  ASSERT_TRUE(style.Found);
  EXPECT_EQ(style.Text, L"Style 'Aqua Graphite \u00C9' not found");
  EXPECT_EQ(style.OkLabel, L"Close");
}

}  // namespace
}  // namespace lumora::test
