// The GTK CSS of a style: windows, the header bar and its buttons, the
// window decoration, buttons, entries, selections and disabled text.
#pragma once

#include <string>

#include "core/style/StyleDefinition.h"

namespace lumora {

std::string StyleCss(const TStyleDefinition& style);

}  // namespace lumora
