#include "core/HandlerGuard.h"

namespace lumora {

namespace {

THandlerErrorPresenter& Presenter() {
  static THandlerErrorPresenter presenter;
  return presenter;
}

}  // namespace

void SetHandlerErrorPresenter(THandlerErrorPresenter presenter) { Presenter() = std::move(presenter); }

void RunHandler(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    if (!Presenter()) return;
    try {
      Presenter()(error);
    } catch (...) {
      // Showing the error failed too; nothing may unwind further.
    }
  }
}

}  // namespace lumora
