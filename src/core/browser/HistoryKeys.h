// The keys with which the Windows WebBrowser control steps through the
// page history, for a view that has to give them itself (WebKitGTK has
// none). The page sees each key first; only one it leaves alone (outside a
// text field, not prevented) steps.
#pragma once

namespace lumora {

struct TKeyModifiers {
  bool Shift = false;
  bool Ctrl = false;
  bool Alt = false;
};

// -1 for back, +1 for forward, 0 for a key that is neither. virtualKey is
// the Windows virtual-key code.
int HistoryStepOfKey(int virtualKey, TKeyModifiers modifiers);

}  // namespace lumora
