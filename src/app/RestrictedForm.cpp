#include "app/RestrictedForm.h"

#include <chrono>
#include <thread>

namespace lumora {

TRestrictedForm::TRestrictedForm() {
  FWindow.OnChange = [this] { InputEditChange(); };
}

void TRestrictedForm::InputEditChange() {
  // Exact: letter case counts, nothing trimmed.
  if (FWindow.Text() != FInput) return;
  // The pause lets the user see the whole password typed before the dialog
  // goes; the dialog does not respond meanwhile.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  FWindow.SetModalResult(mrOk);
}

}  // namespace lumora
