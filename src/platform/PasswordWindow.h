// The password dialog's window: a lock picture and one visible text box, no
// buttons, dialog frame, centred. Its form decides when the text is right.
#pragma once

#include <functional>
#include <memory>

#include "base/String.h"

namespace lumora {

inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;

class TPasswordWindow {
 public:
  TPasswordWindow();
  ~TPasswordWindow();
  TPasswordWindow(const TPasswordWindow&) = delete;
  TPasswordWindow& operator=(const TPasswordWindow&) = delete;

  void SetCaption(const String& caption);
  String Text() const;

  // Shows the dialog and runs its own loop until a modal result is set or
  // the user closes it (mrCancel).
  int ShowModal();
  // Ends ShowModal with result.
  void SetModalResult(int result);
  // Ends ShowModal with result once milliseconds have passed, while the
  // dialog goes on handling its messages. A later request while one waits
  // changes nothing.
  void SetModalResultAfter(int result, int milliseconds);

  // After every change of the text.
  std::function<void()> OnChange;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

}  // namespace lumora
