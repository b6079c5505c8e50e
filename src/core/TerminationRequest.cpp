#include "core/TerminationRequest.h"

#include <atomic>

#include "base/Exception.h"

namespace lumora {

namespace {

// Lock-free, so a signal handler may set it.
std::atomic<bool> Requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

}  // namespace

void RequestTermination() noexcept { Requested.store(true); }

bool TerminationRequested() noexcept { return Requested.load(); }

void CheckTermination() {
  if (TerminationRequested()) throw EImmediateExit(0);
}

}  // namespace lumora
