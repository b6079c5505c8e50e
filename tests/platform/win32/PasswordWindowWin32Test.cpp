// The password dialog under Wine: typed text reaches the form's change
// handler, a delayed result ends the dialog while it goes on handling its
// messages, and closing it refuses. Driven from timers of the dialog's own
// modal loop.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>

#include "app/RestrictedForm.h"
#include "platform/PasswordWindow.h"
#include "support/win32/OwnWindow.h"
#include "support/win32/TimerSteps.h"

namespace lumora::test {
namespace {

constexpr wchar_t kCaption[] = L"Locked site";

// This process's dialog: ctest may run the other test of this file at the
// same time, with a dialog of the same caption.
HWND Dialog() { return FindOwnWindow(L"LumoraPasswordDialog", kCaption); }
HWND Edit() { return ::FindWindowExW(Dialog(), nullptr, L"EDIT", nullptr); }
void Type(const wchar_t* text) { ::SetWindowTextW(Edit(), text); }

TEST(PasswordWindowWin32Test, TheRightTextUnlocksHalfASecondLaterWhileTheDialogGoesOn) {
  TRestrictedForm form;
  form.FInput = u"Secret";
  form.SetCaption(u"Locked site");
  bool handledDuringPause = false;
  std::chrono::steady_clock::time_point matched;
  Schedule({
      [] { Type(L"secret"); },  // letter case counts
      [] { Type(L"Secret!"); },
      [&] {
        Type(L"Secret");
        matched = std::chrono::steady_clock::now();
      },
      // Runs inside the pause: the dialog's loop still dispatches.
      [&] { handledDuringPause = ::IsWindowVisible(Dialog()) != FALSE; },
  });
  EXPECT_EQ(form.ShowModal(), mrOk);
  const auto waited = std::chrono::steady_clock::now() - matched;
  EXPECT_TRUE(handledDuringPause);
  EXPECT_GE(waited, std::chrono::milliseconds(450));
  EXPECT_EQ(StepsRun(), 4u);
}

TEST(PasswordWindowWin32Test, EnterAndEscapeDoNothingAndClosingRefuses) {
  TPasswordWindow window;
  window.SetCaption(u"Locked site");
  int changes = 0;
  window.OnChange = [&] { ++changes; };
  bool openAfterKeys = false;
  Schedule({
      [] { Type(L"abc"); },
      [] {
        ::SendMessageW(Dialog(), WM_COMMAND, IDOK, 0);
        ::SendMessageW(Dialog(), WM_COMMAND, IDCANCEL, 0);
      },
      [&] { openAfterKeys = ::IsWindowVisible(Dialog()) != FALSE; },
      [] { ::PostMessageW(Dialog(), WM_CLOSE, 0, 0); },
  });
  EXPECT_EQ(window.ShowModal(), mrCancel);
  EXPECT_TRUE(openAfterKeys);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(window.Text(), u"abc");
  EXPECT_FALSE(::IsWindowVisible(Dialog()));
}

}  // namespace
}  // namespace lumora::test
