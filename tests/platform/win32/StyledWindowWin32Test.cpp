// Our windows under Wine in the active style: frame and caption pixels in
// the style's colours, the client area the core's layout gives, hit
// testing by border style, the caption buttons' hover, press and click,
// the password dialog's colours, and our own message box (ending with its
// owner, the system's box when ours cannot be made). "Windows" gives the
// native frames back.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <memory>
#include <string>

#include "platform/MessageBox.h"
#include "core/style/StyleEngine.h"
#include "core/style/StyleWindowLayout.h"
#include "platform/FormWindow.h"
#include "platform/PasswordWindow.h"
#include "platform/StyleTheme.h"
#include "support/win32/OwnWindow.h"
#include "support/win32/TimerSteps.h"
#include "support/TestSupport.h"
#include "support/win32/MessageLoop.h"

namespace lumora::test {
namespace {

using Role = TStyleColorRole;

void UseStyle(const String& name) {
  ASSERT_TRUE(StyleEngine().SelectStyle(name));
  ApplyStyleToWindows(StyleEngine().ActiveStyle());
}

class StyledWindowWin32Test : public ::testing::Test {
 protected:
  void SetUp() override { UseStyle(u"Carbon"); }
  void TearDown() override { UseStyle(u"Windows"); }
  const TStyleDefinition& Style() const { return *StyleEngine().ActiveStyle(); }
  TStyleColor Color(Role role) const { return Style().Color(role); }
};

void Pump() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

HWND WindowOf(TFormWindow& form) { return static_cast<HWND>(form.NativeHandle()); }

// A pixel of the window as drawn, in window coordinates.
TStyleColor PixelAt(HWND window, int x, int y) {
  const HDC dc = ::GetWindowDC(window);
  const COLORREF pixel = ::GetPixel(dc, x, y);
  ::ReleaseDC(window, dc);
  return {static_cast<uint32_t>(GetRValue(pixel)) << 16 | static_cast<uint32_t>(GetGValue(pixel)) << 8 |
          GetBValue(pixel)};
}

SIZE Size(HWND window) {
  RECT bounds{};
  ::GetWindowRect(window, &bounds);
  return {bounds.right - bounds.left, bounds.bottom - bounds.top};
}

TStyleWindowLayout LayoutOf(HWND window, const TStyleDefinition& style, TCaptionButtons buttons) {
  const SIZE size = Size(window);
  return LayoutStyledWindow(style, {0, 0, size.cx, size.cy}, buttons);
}

LRESULT HitAt(HWND window, int x, int y) {
  RECT bounds{};
  ::GetWindowRect(window, &bounds);
  return ::SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(bounds.left + x, bounds.top + y));
}

int MiddleX(const TStyleRect& rect) { return (rect.Left + rect.Right) / 2; }
int MiddleY(const TStyleRect& rect) { return (rect.Top + rect.Bottom) / 2; }

// A shown form window, its messages handled.
std::unique_ptr<TFormWindow> ShownForm(int borderStyle) {
  std::unique_ptr<TFormWindow> form = TFormWindow::Create();
  form->SetBorderStyle(borderStyle);
  form->SetCaption(u"Styled");
  form->SetWidth(400);
  form->SetHeight(300);
  form->BringToFront();
  Pump();
  ::RedrawWindow(WindowOf(*form), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  return form;
}

TEST_F(StyledWindowWin32Test, FrameCaptionAndClientFollowTheStyle) {
  for (const char16_t* name : {u"Carbon", u"Sky"}) {
    SCOPED_TRACE(::testing::Message() << (name[0] == u'C' ? "Carbon" : "Sky"));
    UseStyle(name);
    const auto form = ShownForm(bsSizeable);
    const HWND window = WindowOf(*form);
    const TStyleWindowLayout layout = LayoutOf(window, Style(), {});
    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, layout.Client.Width());
    EXPECT_EQ(client.bottom, layout.Client.Height());

    const bool active = ::GetActiveWindow() == window;
    const TStyleColor caption = Color(active ? Role::CaptionActive : Role::CaptionInactive);
    EXPECT_EQ(PixelAt(window, layout.Caption.Left + 3, layout.Caption.Top + 2), caption);
    EXPECT_EQ(PixelAt(window, MiddleX(layout.Title), layout.Caption.Top + 1), caption);
    EXPECT_EQ(PixelAt(window, 0, MiddleY(layout.Client)), Color(Role::Frame));
    EXPECT_EQ(PixelAt(window, layout.Window.Right - 1, MiddleY(layout.Client)), Color(Role::Frame));
    // Between two caption buttons: the caption, not a native button.
    const TStyleRect& close = layout.Button(TCaptionButton::Close);
    EXPECT_EQ(PixelAt(window, close.Left + 1, close.Top + 1), caption);
    // Some of the title's text is drawn.
    bool titleText = false;
    for (int x = layout.Title.Left; x < layout.Title.Left + 60 && !titleText; ++x)
      titleText = PixelAt(window, x, MiddleY(layout.Title)) != caption;
    EXPECT_TRUE(titleText);
    // The window's background in the client area.
    EXPECT_EQ(PixelAt(window, MiddleX(layout.Client), MiddleY(layout.Client)), Color(Role::Window));
  }
}

TEST_F(StyledWindowWin32Test, HitTestingFollowsTheBorderStyle) {
  struct Case {
    int BorderStyle;
    TCaptionButtons Buttons;
    bool Resizable;
  } cases[] = {
      {bsSizeable, {true, true, true}, true},
      {bsSingle, {true, true, true}, false},
      {bsDialog, {false, false, true}, false},
      {bsSizeToolWin, {false, false, true}, true},
  };
  // One window through every border style (each shown window costs Wine
  // time); the frame follows each change.
  const auto form = ShownForm(bsSizeable);
  const HWND window = WindowOf(*form);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.BorderStyle);
    form->SetBorderStyle(c.BorderStyle);
    const TStyleWindowLayout layout = LayoutOf(window, Style(), c.Buttons);
    const TStyleWindowLayout full = LayoutOf(window, Style(), {});
    EXPECT_EQ(HitAt(window, MiddleX(layout.Client), MiddleY(layout.Client)), HTCLIENT);
    EXPECT_EQ(HitAt(window, MiddleX(layout.Title), MiddleY(layout.Title)), HTCAPTION);
    const TStyleRect& close = layout.Button(TCaptionButton::Close);
    EXPECT_EQ(HitAt(window, MiddleX(close), MiddleY(close)), HTCLOSE);
    // Where a maximise button would be: the button, or the caption when forbidden.
    const TStyleRect& maximize = full.Button(TCaptionButton::Maximize);
    EXPECT_EQ(HitAt(window, MiddleX(maximize), MiddleY(maximize)), c.Buttons.Maximize ? HTMAXBUTTON : HTCAPTION);
    const TStyleRect& minimize = full.Button(TCaptionButton::Minimize);
    EXPECT_EQ(HitAt(window, MiddleX(minimize), MiddleY(minimize)), c.Buttons.Minimize ? HTMINBUTTON : HTCAPTION);
    const SIZE size = Size(window);
    EXPECT_EQ(HitAt(window, size.cx - 1, size.cy - 1), c.Resizable ? HTBOTTOMRIGHT : HTBORDER);
    EXPECT_EQ(HitAt(window, 0, size.cy / 2), c.Resizable ? HTLEFT : HTBORDER);
    EXPECT_EQ(HitAt(window, size.cx / 2, 0), c.Resizable ? HTTOP : HTBORDER);
  }

  // Borderless: no frame and no caption at all.
  form->SetBorderStyle(bsNone);
  RECT client{};
  ::GetClientRect(window, &client);
  EXPECT_EQ(client.right, Size(window).cx);
  EXPECT_EQ(client.bottom, Size(window).cy);
  EXPECT_EQ(HitAt(window, 2, 2), HTCLIENT);
}

TEST_F(StyledWindowWin32Test, CaptionButtonsShowHoverAndPressAndActOnRelease) {
  const auto form = ShownForm(bsSizeable);
  const HWND window = WindowOf(*form);
  int closeQueries = 0;
  form->OnCloseQuery = [&] {
    ++closeQueries;
    return false;
  };
  const TStyleWindowLayout layout = LayoutOf(window, Style(), {});
  const TStyleRect& close = layout.Button(TCaptionButton::Close);
  RECT bounds{};
  ::GetWindowRect(window, &bounds);
  const LPARAM onClose = MAKELPARAM(bounds.left + MiddleX(close), bounds.top + MiddleY(close));
  // A point of the button's face beside its glyph.
  auto face = [&] { return PixelAt(window, close.Left + 2, MiddleY(close)); };
  // Without a window manager Wine may hand the activation to the window
  // or take it away at any pump: the caption is in the active or the
  // inactive colour, and neither is a button's hover or press.
  const auto isCaption = [&](TStyleColor color) {
    return color == Color(Role::CaptionActive) || color == Color(Role::CaptionInactive);
  };
  ASSERT_FALSE(isCaption(Color(Role::ButtonHover)) || isCaption(Color(Role::ButtonPressed)));
  EXPECT_TRUE(isCaption(face())) << std::hex << face().Rgb;
  auto clientPoint = [&](int x, int y) {
    POINT point{bounds.left + x, bounds.top + y};
    ::ScreenToClient(window, &point);
    return MAKELPARAM(point.x, point.y);
  };

  ::SendMessageW(window, WM_NCMOUSEMOVE, HTCLOSE, onClose);
  EXPECT_EQ(face(), Color(Role::ButtonHover));
  ::SendMessageW(window, WM_NCMOUSELEAVE, 0, 0);
  EXPECT_TRUE(isCaption(face())) << std::hex << face().Rgb;

  // Pressed, dragged off (no press shown, nothing happens on release) ...
  ::SendMessageW(window, WM_NCLBUTTONDOWN, HTCLOSE, onClose);
  EXPECT_EQ(face(), Color(Role::ButtonPressed));
  EXPECT_EQ(::GetCapture(), window);
  ::SendMessageW(window, WM_MOUSEMOVE, 0, clientPoint(MiddleX(layout.Client), MiddleY(layout.Client)));
  EXPECT_TRUE(isCaption(face())) << std::hex << face().Rgb;
  ::SendMessageW(window, WM_LBUTTONUP, 0, clientPoint(MiddleX(layout.Client), MiddleY(layout.Client)));
  EXPECT_EQ(closeQueries, 0);
  EXPECT_EQ(::GetCapture(), nullptr);

  // ... and pressed and released on it: one close request.
  ::SendMessageW(window, WM_NCLBUTTONDOWN, HTCLOSE, onClose);
  ::SendMessageW(window, WM_MOUSEMOVE, 0, clientPoint(MiddleX(close), MiddleY(close)));
  EXPECT_EQ(face(), Color(Role::ButtonPressed));
  ::SendMessageW(window, WM_LBUTTONUP, 0, clientPoint(MiddleX(close), MiddleY(close)));
  Pump();
  EXPECT_EQ(closeQueries, 1);
  EXPECT_TRUE(isCaption(face())) << std::hex << face().Rgb;

  // The maximise button maximises (checked at once: with no window manager
  // Wine gives the window its old size back soon after).
  const TStyleRect& maximize = layout.Button(TCaptionButton::Maximize);
  ::SendMessageW(window, WM_NCLBUTTONDOWN, HTMAXBUTTON,
                 MAKELPARAM(bounds.left + MiddleX(maximize), bounds.top + MiddleY(maximize)));
  ::SendMessageW(window, WM_LBUTTONUP, 0, clientPoint(MiddleX(maximize), MiddleY(maximize)));
  EXPECT_TRUE(::IsZoomed(window));
}

struct TBoxSeen {
  HWND Box = nullptr;
  std::wstring Caption;
  int Buttons = 0;
  std::wstring Label;
  TStyleColor CaptionPixel, ClientPixel;
  bool Active = false;
};

HWND StyledBox() { return FindOwnWindow(L"LumoraMessageBox"); }

TBoxSeen LookAtBox(const TStyleDefinition& style) {
  TBoxSeen seen;
  seen.Box = StyledBox();
  if (!seen.Box) return seen;
  wchar_t text[64] = {};
  ::GetWindowTextW(seen.Box, text, 64);
  seen.Caption = text;
  for (HWND child = ::GetWindow(seen.Box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    ++seen.Buttons;
    ::GetWindowTextW(child, text, 64);
    seen.Label = text;
  }
  const TStyleWindowLayout layout = LayoutOf(seen.Box, style, {false, false, true});
  seen.Active = ::GetActiveWindow() == seen.Box;
  seen.CaptionPixel = PixelAt(seen.Box, layout.Caption.Left + 3, layout.Caption.Top + 2);
  seen.ClientPixel = PixelAt(seen.Box, layout.Client.Right - 3, layout.Client.Top + 3);
  return seen;
}

TEST_F(StyledWindowWin32Test, OurMessageBoxInTheStyleClosesOnEnterEscapeAndItsCaption) {
  struct Case {
    uint32_t Flags;
    const wchar_t* Label;
    std::function<void(HWND)> Dismiss;
  } cases[] = {
      {mbIconError | mbClose, L"Close",
       [](HWND box) { ::PostMessageW(::GetFocus() ? ::GetFocus() : box, WM_KEYDOWN, VK_ESCAPE, 0); }},
      {mbOk, L"OK", [](HWND box) { ::PostMessageW(::GetFocus() ? ::GetFocus() : box, WM_KEYDOWN, VK_RETURN, 0); }},
      {mbIconError, L"OK", [](HWND box) { ::PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.Flags);
    TBoxSeen seen;
    Schedule({[&] { seen = LookAtBox(Style()); }, [&] { c.Dismiss(StyledBox()); }});
    ShowMessageBox(u"Style 'AQUAGRAPHITE' not found", u"Styled box", c.Flags);
    EXPECT_EQ(StepsRun(), 2u);
    ASSERT_NE(seen.Box, nullptr);
    EXPECT_EQ(seen.Caption, L"Styled box");
    EXPECT_EQ(seen.Buttons, 1);
    EXPECT_EQ(seen.Label, c.Label);
    EXPECT_EQ(seen.CaptionPixel, Color(seen.Active ? Role::CaptionActive : Role::CaptionInactive));
    EXPECT_EQ(seen.ClientPixel, Color(Role::Window));
    EXPECT_EQ(StyledBox(), nullptr);
  }
}

// Pumps until every scheduled step has run (two seconds at most), so that
// no step of one test fires inside the next.
void FinishSteps(size_t count) {
  test::WaitUntil([&] { return StepsRun() >= count; }, std::chrono::seconds(2), test::RunMessagesOnce);
}

TEST_F(StyledWindowWin32Test, OurMessageBoxEndsWhenItsOwnerIsDestroyed) {
  std::unique_ptr<TFormWindow> form = ShownForm(bsSizeable);
  const HWND owner = WindowOf(*form);
  ::SetActiveWindow(owner);
  HWND boxOwner = nullptr;
  bool goneWithOwner = false, returned = false, quitNeeded = false;
  // The owner goes while the box is up (a popup closed from a timer); the
  // second step ends a loop that would not end by itself.
  Schedule({[&] {
              boxOwner = ::GetWindow(StyledBox(), GW_OWNER);
              form.reset();
              goneWithOwner = StyledBox() == nullptr;
            },
            [&] {
              if (returned) return;
              quitNeeded = true;
              ::PostQuitMessage(0);
            }},
           300);
  ShowMessageBox(u"Owned box", u"Owned", mbOk);
  returned = true;
  FinishSteps(2);
  MSG quit;
  while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  EXPECT_EQ(boxOwner, owner);
  EXPECT_TRUE(goneWithOwner);
  EXPECT_FALSE(quitNeeded);
}

// Makes the creation of our message box's window fail.
LRESULT CALLBACK RefuseOurBox(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    wchar_t className[32] = {};
    ::GetClassNameW(reinterpret_cast<HWND>(wParam), className, 32);
    if (std::wstring(className) == L"LumoraMessageBox") return 1;
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(StyledWindowWin32Test, TheSystemsBoxShowsWhenOursCannotBeCreated) {
  const HHOOK hook = ::SetWindowsHookExW(WH_CBT, RefuseOurBox, nullptr, ::GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  HWND systemBox = nullptr, ourBox = nullptr;
  Schedule({[&] {
    systemBox = FindOwnWindow(L"#32770", L"Fallback");
    ourBox = StyledBox();
    if (systemBox) ::PostMessageW(systemBox, WM_COMMAND, IDOK, 0);
  }});
  ShowMessageBox(u"Runtime error 217 at 00000003", u"Fallback", mbIconError | mbOk);
  ::UnhookWindowsHookEx(hook);
  FinishSteps(1);
  EXPECT_NE(systemBox, nullptr);
  EXPECT_EQ(ourBox, nullptr);
}

TEST_F(StyledWindowWin32Test, ThePasswordDialogTakesTheStylesFrameAndColours) {
  TPasswordWindow dialog;
  dialog.SetCaption(u"Locked site");
  TStyleColor caption, edit, client;
  bool active = false;
  Schedule({[&] {
              const HWND window = FindOwnWindow(L"LumoraPasswordDialog", L"Locked site");
              const HWND field = ::FindWindowExW(window, nullptr, L"EDIT", nullptr);
              const TStyleWindowLayout layout = LayoutOf(window, Style(), {false, false, true});
              active = ::GetActiveWindow() == window;
              caption = PixelAt(window, layout.Caption.Left + 3, layout.Caption.Top + 2);
              client = PixelAt(window, layout.Client.Right - 3, layout.Client.Bottom - 3);
              RECT fieldRect{};
              ::GetClientRect(field, &fieldRect);
              edit = PixelAt(field, fieldRect.right - 3, fieldRect.bottom / 2);
            },
            [&] { dialog.SetModalResult(mrCancel); }});
  dialog.ShowModal();
  EXPECT_EQ(caption, Color(active ? Role::CaptionActive : Role::CaptionInactive));
  EXPECT_EQ(client, Color(Role::Window));
  EXPECT_EQ(edit, Color(Role::EditField));
}

TEST_F(StyledWindowWin32Test, WindowsGivesTheNativeFramesBack) {
  const auto form = ShownForm(bsSizeable);
  const HWND window = WindowOf(*form);
  UseStyle(u"Windows");
  RECT native{0, 0, 100, 100};
  ::AdjustWindowRectEx(&native, static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongW(window, GWL_EXSTYLE)));
  RECT client{};
  ::GetClientRect(window, &client);
  EXPECT_EQ(Size(window).cx - client.right, native.right - native.left - 100);
  EXPECT_EQ(Size(window).cy - client.bottom, native.bottom - native.top - 100);
  RECT bounds{};
  ::GetWindowRect(window, &bounds);
  EXPECT_EQ(::SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(bounds.left + 1, bounds.top + 1)), HTTOPLEFT);
}

}  // namespace
}  // namespace lumora::test
