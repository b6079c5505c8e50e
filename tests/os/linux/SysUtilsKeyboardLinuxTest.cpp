// Key presses on Linux: PressKey's events arrive at a focused X window as
// the press and release of the key the virtual-key code names.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "base/Exception.h"
#include "os/SysUtils.h"
#include "support/linux/SysUtilsTestSupport.h"

// Last: Xlib's macros (None, Status, True) clash with names in the headers
// above.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace lumora {
namespace {

using test::TScopedEnv;
using test::WaitUntil;

struct TDisplayCloser {
  void operator()(Display* display) const { XCloseDisplay(display); }
};

// A mapped window that has the keyboard focus.
class TFocusedWindow {
 public:
  explicit TFocusedWindow(Display* display) : FDisplay(display) {
    FWindow = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 120, 80, 0, 0, 0);
    XSelectInput(display, FWindow, KeyPressMask | KeyReleaseMask | StructureNotifyMask);
    XMapRaised(display, FWindow);
    XEvent event;
    do XNextEvent(display, &event);
    while (event.type != MapNotify);
    XSetInputFocus(display, FWindow, RevertToParent, CurrentTime);
    XSync(display, False);
  }
  ~TFocusedWindow() { XDestroyWindow(FDisplay, FWindow); }
  TFocusedWindow(const TFocusedWindow&) = delete;
  TFocusedWindow& operator=(const TFocusedWindow&) = delete;

  // The key events that arrived within a short wait: type and key code.
  std::vector<std::pair<int, unsigned>> KeyEvents(size_t expected) {
    std::vector<std::pair<int, unsigned>> events;
    WaitUntil(
        [&] {
          while (XPending(FDisplay) > 0) {
            XEvent event;
            XNextEvent(FDisplay, &event);
            if (event.type == KeyPress || event.type == KeyRelease) {
              events.emplace_back(event.type, event.xkey.keycode);
            }
          }
          return events.size() >= expected;
        },
        std::chrono::seconds(expected ? 10 : 1));
    return events;
  }

 private:
  Display* FDisplay;
  Window FWindow;
};

TEST(SysUtilsKeyboardLinuxTest, PressesAndReleasesTheNamedKey) {
  const std::unique_ptr<Display, TDisplayCloser> display(XOpenDisplay(nullptr));
  if (!display) GTEST_SKIP() << "no X display";
  TFocusedWindow window(display.get());

  struct TCase {
    int VirtualKey;
    KeySym Symbol;
  };
  const TCase cases[] = {
      {'A', XK_a},   {'Z', XK_z},     {'7', XK_7},      {0x0D, XK_Return},  {0x1B, XK_Escape}, {0x25, XK_Left},
      {0x74, XK_F5}, {0x62, XK_KP_2}, {0xBC, XK_comma}, {0xA1, XK_Shift_R}, {0x20, XK_space},
  };
  for (const TCase& c : cases) {
    const unsigned code = XKeysymToKeycode(display.get(), c.Symbol);
    ASSERT_NE(code, 0u) << "the test keyboard lacks key " << c.VirtualKey;
    TSysUtils::PressKey(c.VirtualKey);
    EXPECT_EQ(window.KeyEvents(2), (std::vector<std::pair<int, unsigned>>{{KeyPress, code}, {KeyRelease, code}}))
        << "virtual key " << c.VirtualKey;
  }
  // A code that names no key does nothing.
  TSysUtils::PressKey(0xFF);
  EXPECT_TRUE(window.KeyEvents(0).empty());
}

TEST(SysUtilsKeyboardLinuxTest, WithoutADisplayPressKeyIsUnsupported) {
  TScopedEnv display("DISPLAY", std::nullopt);
  try {
    TSysUtils::PressKey('A');
    ADD_FAILURE() << "a key was pressed without a display";
  } catch (const Exception& error) {
    EXPECT_NE(std::string(error.what()).find("not supported on this platform"), std::string::npos);
  }
}

}  // namespace
}  // namespace lumora
