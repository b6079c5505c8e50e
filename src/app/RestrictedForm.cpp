#include "app/RestrictedForm.h"

namespace lumora {

TRestrictedForm::TRestrictedForm() {
  FWindow.OnChange = [this] { InputEditChange(); };
}

void TRestrictedForm::InputEditChange() {
  // Exact: letter case counts, nothing trimmed.
  if (FWindow.Text() != FInput) return;
  // The pause lets the user see the whole password typed before the dialog
  // goes. The dialog keeps handling its messages meanwhile (repainting,
  // being moved): a window that stops answering for half a second is what
  // the platform marks as hung.
  FWindow.SetModalResultAfter(mrOk, kAcceptDelayMilliseconds);
}

}  // namespace lumora
