// Windows: the console's Ctrl+C ends the packer at once, and the part it
// leaves, no longer held, goes with the next pack of the same output.
#include "pack/OutputPart.h"

namespace lumora {

TOutputPart::TRemoveOnInterrupt::TRemoveOnInterrupt(const String& path) : FPath(ToUtf8(path)) {}

TOutputPart::TRemoveOnInterrupt::~TRemoveOnInterrupt() = default;

}  // namespace lumora
