// The top-level window on Win32: border styles as window styles, outer
// size kept within the limits (also for the user's dragging, through
// WM_GETMINMAXINFO), stay on top, and every close request through the
// close query.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "platform/FormWindow.h"
#include "platform/MessageLoop.h"
#include "platform/win32/FormWindowStyle.h"
#include "support/win32/ImportHook.h"

namespace lumora::test {
namespace {

HWND WindowOf(TFormWindow& form) { return static_cast<HWND>(form.NativeHandle()); }

TEST(FormWindowWin32Test, BorderStylesBecomeWindowStyles) {
  struct Case {
    int BorderStyle;
    bool Caption, Resizable, Tool, DialogFrame;
  } cases[] = {
      {bsNone, false, false, false, false},
      {bsSingle, true, false, false, false},
      {bsSizeable, true, true, false, false},
      {bsDialog, true, false, false, true},
      {bsToolWindow, true, false, true, false},
      {bsSizeToolWin, true, true, true, false},
      {9, true, true, false, false},
  };
  const std::unique_ptr<TFormWindow> window = TFormWindow::Create();
  TFormWindow& form = *window;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.BorderStyle);
    form.SetBorderStyle(c.BorderStyle);
    const LONG_PTR style = ::GetWindowLongPtrW(WindowOf(form), GWL_STYLE);
    const LONG_PTR exStyle = ::GetWindowLongPtrW(WindowOf(form), GWL_EXSTYLE);
    EXPECT_EQ((style & WS_CAPTION) == WS_CAPTION, c.Caption);
    EXPECT_EQ((style & WS_THICKFRAME) != 0, c.Resizable);
    EXPECT_EQ((exStyle & WS_EX_TOOLWINDOW) != 0, c.Tool);
    EXPECT_EQ((exStyle & WS_EX_DLGMODALFRAME) != 0, c.DialogFrame);
    EXPECT_EQ((style & WS_MAXIMIZEBOX) != 0, c.BorderStyle == bsSingle || (c.Resizable && !c.Tool));
  }
}

TEST(FormWindowWin32Test, OuterSizeStaysWithinTheLimits) {
  const std::unique_ptr<TFormWindow> window = TFormWindow::Create();
  TFormWindow& form = *window;
  form.SetSizeConstraints(300, 0, 200, 500);
  auto size = [&] {
    RECT bounds{};
    ::GetWindowRect(WindowOf(form), &bounds);
    return std::pair{bounds.right - bounds.left, bounds.bottom - bounds.top};
  };
  form.SetWidth(800);
  form.SetHeight(600);
  EXPECT_EQ(size(), (std::pair<LONG, LONG>{800, 500}));
  form.SetWidth(100);
  EXPECT_EQ(size().first, 300);
  form.SetSizeConstraints(100, 700, 200, 0);
  form.SetWidth(1000);
  form.SetHeight(900);
  EXPECT_EQ(size(), (std::pair<LONG, LONG>{700, 900}));

  // What a user's drag is held to.
  MINMAXINFO limits{};
  limits.ptMaxTrackSize = {5000, 5000};
  ::SendMessageW(WindowOf(form), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, 100);
  EXPECT_EQ(limits.ptMinTrackSize.y, 200);
  EXPECT_EQ(limits.ptMaxTrackSize.x, 700);
  EXPECT_EQ(limits.ptMaxTrackSize.y, 5000);

  form.SetStayOnTop(true);
  EXPECT_NE(::GetWindowLongPtrW(WindowOf(form), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  form.SetBorderStyle(bsDialog);  // a new frame keeps the stacking order
  EXPECT_NE(::GetWindowLongPtrW(WindowOf(form), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  form.SetStayOnTop(false);
  EXPECT_EQ(::GetWindowLongPtrW(WindowOf(form), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

TEST(FormWindowWin32Test, EveryCloseRequestAsksTheCloseQuery) {
  const std::unique_ptr<TFormWindow> window = TFormWindow::Create();
  TFormWindow& form = *window;
  form.SetCaption(u"Form test");
  EXPECT_EQ(form.Caption(), u"Form test");
  wchar_t caption[32] = {};
  ::GetWindowTextW(WindowOf(form), caption, 32);
  EXPECT_STREQ(caption, L"Form test");
  EXPECT_NE(::GetClassLongPtrW(WindowOf(form), GCLP_HICON), 0);

  bool allow = false;
  int queries = 0, closes = 0;
  form.OnCloseQuery = [&] {
    ++queries;
    return allow;
  };
  form.OnClose = [&] { ++closes; };
  ::SendMessageW(WindowOf(form), WM_CLOSE, 0, 0);  // the caption's button, Alt+F4
  EXPECT_EQ(queries, 1);
  EXPECT_EQ(closes, 0);
  EXPECT_TRUE(::IsWindow(WindowOf(form)));
  allow = true;
  ::SendMessageW(WindowOf(form), WM_SYSCOMMAND, SC_CLOSE, 0);  // the system menu
  EXPECT_EQ(queries, 2);
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(form.Visible());
  EXPECT_TRUE(::IsWindow(WindowOf(form)));  // hidden, not destroyed

  // A key for the window itself reaches OnKeyDown.
  int key = 0;
  form.OnKeyDown = [&](int Key) { key = Key; };
  ::SendMessageW(WindowOf(form), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(key, VK_ESCAPE);
}

// Windows opened after the main window are owned by it (no taskbar
// buttons of their own), and outlive it when it goes first.
TEST(FormWindowWin32Test, LaterWindowsAreOwnedByTheFirst) {
  std::unique_ptr<TFormWindow> main = TFormWindow::Create();
  const std::unique_ptr<TFormWindow> popup = TFormWindow::Create();
  EXPECT_EQ(::GetWindow(WindowOf(*main), GW_OWNER), nullptr);
  EXPECT_EQ(::GetWindow(WindowOf(*popup), GW_OWNER), WindowOf(*main));
  main.reset();
  EXPECT_TRUE(::IsWindow(WindowOf(*popup)));
}

// The icons asked of LoadImageW while the counter below stands in for it
// (each one found is a handle the caller owns).
int IconLoads = 0;
using TLoadImage = HANDLE(WINAPI*)(HINSTANCE, LPCWSTR, UINT, int, int, UINT);
TLoadImage OriginalLoadImage = nullptr;

HANDLE WINAPI CountIconLoad(HINSTANCE instance, LPCWSTR name, UINT type, int width, int height, UINT flags) {
  const HANDLE image = OriginalLoadImage(instance, name, type, width, height, flags);
  if (type == IMAGE_ICON && !(flags & LR_SHARED)) ++IconLoads;
  return image;
}

// Every window a page opens is a new form window: the icons of the window
// class are loaded once for the program, not once per window.
TEST(FormWindowWin32Test, ManyWindowsLoadTheIconsOnce) {
  const TImportHook hook("USER32.dll", "LoadImageW", reinterpret_cast<void*>(&CountIconLoad));
  ASSERT_TRUE(hook.Original());
  OriginalLoadImage = reinterpret_cast<TLoadImage>(hook.Original());
  IconLoads = 0;
  std::vector<std::unique_ptr<TFormWindow>> windows;
  for (int i = 0; i < 5; ++i) windows.push_back(TFormWindow::Create());
  windows.clear();
  for (int i = 0; i < 5; ++i) windows.push_back(TFormWindow::Create());
  EXPECT_LE(IconLoads, 2);
  EXPECT_NE(::GetClassLongPtrW(WindowOf(*windows.back()), GCLP_HICON), 0);
}

// Hiding a window and bringing it back (the tray icon's click) leaves its
// state as the user left it: a window the user restored from maximised
// comes back restored, a maximised one maximised.
TEST(FormWindowWin32Test, BringingBackKeepsTheStateTheUserLeft) {
  const std::unique_ptr<TFormWindow> window = TFormWindow::Create();
  TFormWindow& form = *window;
  form.SetMaximized(true);
  form.Show();
  ASSERT_TRUE(::IsZoomed(WindowOf(form)));
  for (const bool maximized : {false, true, false}) {
    SCOPED_TRACE(maximized);
    ::ShowWindow(WindowOf(form), maximized ? SW_MAXIMIZE : SW_RESTORE);  // the caption's button
    form.Hide();
    EXPECT_FALSE(form.Visible());
    form.BringToFront();
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(::IsZoomed(WindowOf(form)) != FALSE, maximized);
  }
}

// A client size asked for is the client area's, whatever the frame: the
// outer size grows by the frame's own.
TEST(FormWindowWin32Test, AClientSizeIsTheClientArea) {
  const std::unique_ptr<TFormWindow> window = TFormWindow::Create();
  TFormWindow& form = *window;
  for (const int style : {bsSizeable, bsDialog, bsToolWindow, bsNone}) {
    SCOPED_TRACE(style);
    form.SetBorderStyle(style);
    form.SetClientSize(411, 302);
    RECT client{}, outer{};
    ::GetClientRect(WindowOf(form), &client);
    ::GetWindowRect(WindowOf(form), &outer);
    EXPECT_EQ(client.right, 411);
    EXPECT_EQ(client.bottom, 302);
    EXPECT_EQ(outer.right - outer.left > 411, style != bsNone);
  }
}

int SessionEnds = 0;

// At the session's end every window says yes to the question, and the
// first end that is real runs the program's end, once.
TEST(FormWindowWin32Test, TheSessionsEndRunsTheProgramsEndOnce) {
  WatchSessionEnd([] { ++SessionEnds; });
  std::unique_ptr<TFormWindow> main = TFormWindow::Create();
  const std::unique_ptr<TFormWindow> popup = TFormWindow::Create();
  for (TFormWindow* form : {main.get(), popup.get()}) {
    EXPECT_EQ(::SendMessageW(WindowOf(*form), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  }
  ::SendMessageW(WindowOf(*main), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);  // another program said no
  EXPECT_EQ(SessionEnds, 0);
  ::SendMessageW(WindowOf(*main), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  ::SendMessageW(WindowOf(*popup), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_EQ(SessionEnds, 1);
  WatchSessionEnd(nullptr);
}

}  // namespace
}  // namespace lumora::test
