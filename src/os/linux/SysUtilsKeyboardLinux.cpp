// Synthetic key presses on Linux through the X server's XTEST extension,
// the counterpart of keybd_event. The key is named by a Windows virtual-key
// code, turned into the X key symbol of the same key and then into a key
// code of the current keyboard map. Under Wayland this reaches X clients
// (XWayland) only.
#include <memory>

#include "base/Exception.h"
#include "os/SysUtils.h"

// Last: Xlib defines macros (None, Status, True) that other headers use as
// names.
#include <X11/XF86keysym.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace lumora {

namespace {

struct TDisplayCloser {
  void operator()(Display* display) const { XCloseDisplay(display); }
};
using TDisplayPtr = std::unique_ptr<Display, TDisplayCloser>;

struct TVirtualKey {
  int Code;
  KeySym Symbol;
};

// Virtual keys that are not a letter, a digit, a function key or a number
// pad digit (those ranges are computed in KeySymOf).
constexpr TVirtualKey kVirtualKeys[] = {
    {0x08, XK_BackSpace},
    {0x09, XK_Tab},
    {0x0C, XK_Clear},
    {0x0D, XK_Return},
    {0x10, XK_Shift_L},
    {0x11, XK_Control_L},
    {0x12, XK_Alt_L},
    {0x13, XK_Pause},
    {0x14, XK_Caps_Lock},
    {0x1B, XK_Escape},
    {0x20, XK_space},
    {0x21, XK_Prior},
    {0x22, XK_Next},
    {0x23, XK_End},
    {0x24, XK_Home},
    {0x25, XK_Left},
    {0x26, XK_Up},
    {0x27, XK_Right},
    {0x28, XK_Down},
    {0x29, XK_Select},
    {0x2A, XK_Print},
    {0x2B, XK_Execute},
    {0x2C, XK_Print},
    {0x2D, XK_Insert},
    {0x2E, XK_Delete},
    {0x2F, XK_Help},
    {0x5B, XK_Super_L},
    {0x5C, XK_Super_R},
    {0x5D, XK_Menu},
    {0x6A, XK_KP_Multiply},
    {0x6B, XK_KP_Add},
    {0x6C, XK_KP_Separator},
    {0x6D, XK_KP_Subtract},
    {0x6E, XK_KP_Decimal},
    {0x6F, XK_KP_Divide},
    {0x90, XK_Num_Lock},
    {0x91, XK_Scroll_Lock},
    {0xA0, XK_Shift_L},
    {0xA1, XK_Shift_R},
    {0xA2, XK_Control_L},
    {0xA3, XK_Control_R},
    {0xA4, XK_Alt_L},
    {0xA5, XK_Alt_R},
    {0xA6, XF86XK_Back},
    {0xA7, XF86XK_Forward},
    {0xA8, XF86XK_Refresh},
    {0xA9, XF86XK_Stop},
    {0xAA, XF86XK_Search},
    {0xAB, XF86XK_Favorites},
    {0xAC, XF86XK_HomePage},
    {0xAD, XF86XK_AudioMute},
    {0xAE, XF86XK_AudioLowerVolume},
    {0xAF, XF86XK_AudioRaiseVolume},
    {0xB0, XF86XK_AudioNext},
    {0xB1, XF86XK_AudioPrev},
    {0xB2, XF86XK_AudioStop},
    {0xB3, XF86XK_AudioPlay},
    {0xB4, XF86XK_Mail},
    {0xB5, XF86XK_AudioMedia},
    {0xBA, XK_semicolon},
    {0xBB, XK_equal},
    {0xBC, XK_comma},
    {0xBD, XK_minus},
    {0xBE, XK_period},
    {0xBF, XK_slash},
    {0xC0, XK_grave},
    {0xDB, XK_bracketleft},
    {0xDC, XK_backslash},
    {0xDD, XK_bracketright},
    {0xDE, XK_apostrophe},
    {0xE2, XK_less},
};

KeySym KeySymOf(int vKey) {
  if (vKey >= '0' && vKey <= '9') return XK_0 + static_cast<KeySym>(vKey - '0');
  // A virtual key names the key, not a character: "A" is the key that
  // types a lower-case a.
  if (vKey >= 'A' && vKey <= 'Z') return XK_a + static_cast<KeySym>(vKey - 'A');
  if (vKey >= 0x60 && vKey <= 0x69) return XK_KP_0 + static_cast<KeySym>(vKey - 0x60);
  if (vKey >= 0x70 && vKey <= 0x87) return XK_F1 + static_cast<KeySym>(vKey - 0x70);
  for (const TVirtualKey& key : kVirtualKeys) {
    if (key.Code == vKey) return key.Symbol;
  }
  return NoSymbol;
}

}  // namespace

void TSysUtils::PressKey(int vKey) {
  const TDisplayPtr display(XOpenDisplay(nullptr));
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (!display || !XTestQueryExtension(display.get(), &eventBase, &errorBase, &major, &minor)) {
    throw Exception(std::string("PressKey is not supported on this platform without an X display that offers XTEST"));
  }
  const KeySym symbol = KeySymOf(vKey);
  const KeyCode code = symbol == NoSymbol ? 0 : XKeysymToKeycode(display.get(), symbol);
  // keybd_event takes any code without complaint; a key this keyboard does
  // not have is as silent here.
  if (code == 0) return;
  XTestFakeKeyEvent(display.get(), code, True, CurrentTime);
  XTestFakeKeyEvent(display.get(), code, False, CurrentTime);
  XSync(display.get(), False);
}

}  // namespace lumora
