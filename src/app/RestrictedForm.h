// The password dialog: accepts the moment the typed text equals the
// password; closing it any other way refuses.
#pragma once

#include "base/String.h"
#include "platform/PasswordWindow.h"

namespace lumora {

class TRestrictedForm {
 public:
  TRestrictedForm();

  // The expected password.
  String FInput;

  void SetCaption(const String& caption) { FWindow.SetCaption(caption); }
  // mrOk when the password was typed, mrCancel when the dialog was closed.
  int ShowModal() { return FWindow.ShowModal(); }

 private:
  void InputEditChange();

  static constexpr int kAcceptDelayMilliseconds = 500;

  TPasswordWindow FWindow;
};

}  // namespace lumora
