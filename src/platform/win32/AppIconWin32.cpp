// Windows shows the program file's main icon on its windows and in the
// notification area; a packed icon has nothing to add.
#include "platform/AppIcon.h"

namespace lumora {

bool SetApplicationIcon(const std::vector<uint8_t>&) { return true; }

bool UsesPackedIcon() { return false; }

}  // namespace lumora
