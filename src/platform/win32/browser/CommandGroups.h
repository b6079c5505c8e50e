// Command groups of the document host that MinGW's uuid library lacks.
#pragma once

#include <guiddef.h>

namespace lumora {

// The document host's own commands (OLECMDID_SHOWSCRIPTERROR and others).
inline constexpr GUID kCgidDocHostCommandHandler = {
    0xf38bc242, 0xb950, 0x11d1, {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};
// The HTML document's commands (IDM_FIND and others).
inline constexpr GUID kCgidMshtml = {0xde4ba900, 0x59ca, 0x11cf, {0x95, 0x92, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

}  // namespace lumora
