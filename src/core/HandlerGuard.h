// Where errors that escape an event handler go: shown to the user, after
// which the message loop goes on.
#pragma once

#include <exception>
#include <functional>

namespace lumora {

// Who is told about an error that escaped an event handler. Set once by
// the application at start-up.
using THandlerErrorPresenter = std::function<void(const std::exception& error)>;
void SetHandlerErrorPresenter(THandlerErrorPresenter presenter);

// Runs handler, handing any error it raises to the presenter. Every event
// the window backends raise into the system's own code goes through here,
// since an error must not unwind through the toolkit's frames.
void RunHandler(const std::function<void()>& handler);

}  // namespace lumora
