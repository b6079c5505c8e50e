#include "core/GlobalMainForm.h"

namespace lumora {

TGlobalMainForm* GlobalMainForm = nullptr;

}  // namespace lumora
