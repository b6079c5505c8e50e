// The program's icon where the program file carries none.
#pragma once

#include <cstdint>
#include <vector>

namespace lumora {

// Makes image (the bytes of a PNG or ICO file) the icon of every window the
// program shows from now on and of its tray icon. False when the toolkit
// cannot read the image. On Windows the program file's own main icon is the
// icon: the image is not looked at, nothing changes, and the answer is true.
bool SetApplicationIcon(const std::vector<uint8_t>& image);

// Whether a packed image can be the icon at all: false on Windows, where
// the packed image is not even read.
bool UsesPackedIcon();

}  // namespace lumora
