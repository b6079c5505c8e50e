// Linux programs carry no resources: their window icon comes from the
// package instead, so icon replacement is for Windows programs only.
#include "base/ResourceUpdateError.h"
#include "os/ExeResources.h"

namespace lumora {

namespace {

[[noreturn]] void RaiseUnsupported() { throw EResourceUpdateError(u"Only supported on Windows NT and above"); }

}  // namespace

void CheckResourceUpdateSupported() { RaiseUnsupported(); }

void ReplaceMainIcon(const String&, const std::vector<uint8_t>&) { RaiseUnsupported(); }

}  // namespace lumora
