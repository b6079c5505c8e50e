#include "os/linux/TopLevelPreparer.h"

#include <atomic>

namespace lumora {
namespace {

std::atomic<TTopLevelPreparer>& Preparer() {
  static std::atomic<TTopLevelPreparer> preparer{nullptr};
  return preparer;
}

}  // namespace

void SetTopLevelPreparer(TTopLevelPreparer preparer) { Preparer().store(preparer); }

void PrepareTopLevel(GtkWindow* window) {
  if (const TTopLevelPreparer preparer = Preparer().load()) preparer(window);
}

}  // namespace lumora
