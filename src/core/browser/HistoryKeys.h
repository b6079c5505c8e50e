// The keys with which the Windows WebBrowser control steps through the
// page history, for a view that has to give them itself (WebKitGTK has
// none).
#pragma once

namespace lumora {

struct TKeyModifiers {
  bool Shift = false;
  bool Ctrl = false;
  bool Alt = false;
};

struct THistoryStep {
  // -1 for back, +1 for forward, 0 for a key that is neither.
  int Step = 0;
  // The page has the key first and the step is only taken when it leaves
  // the key alone: Backspace, which deletes in a text field. The others
  // mean nothing to a page (and WebKit takes Alt+arrows as its own
  // scrolling), so they step before the page sees them.
  bool PageFirst = false;
};

// virtualKey is the Windows virtual-key code.
THistoryStep HistoryStepOfKey(int virtualKey, TKeyModifiers modifiers);

}  // namespace lumora
