// The Windows windows keep their native look for now: the frames,
// captions and message boxes in the active style (non-client painting with
// the core's layout and painter) are not built yet.
#include "platform/StyleTheme.h"

namespace lumora {

void ApplyStyleToWindows(const TStyleDefinition*) {}

}  // namespace lumora
