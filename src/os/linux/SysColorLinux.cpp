// System colours on Linux.
//
// There is no system colour scheme to ask, and the GTK theme's colours do not
// map one to one onto the Windows indexes, so a packaged site that names a
// system colour gets the classic Windows defaults (the "Windows Classic"
// scheme of Windows 2000 and XP, which Wine also uses). That keeps a page's
// colours the same on every Linux desktop and close to what most Windows
// users saw.
#include <array>
#include <cstddef>

#include "os/SysColor.h"

namespace lumora {

namespace {

constexpr uint32_t Rgb(uint32_t red, uint32_t green, uint32_t blue) { return red | (green << 8) | (blue << 16); }

// Indexed like GetSysColor: COLOR_SCROLLBAR (0) to COLOR_MENUBAR (30).
constexpr std::array<uint32_t, 31> kClassicColors = {
    Rgb(212, 208, 200),  //  0 scroll bar
    Rgb(58, 110, 165),   //  1 desktop background
    Rgb(10, 36, 106),    //  2 active caption
    Rgb(128, 128, 128),  //  3 inactive caption
    Rgb(212, 208, 200),  //  4 menu
    Rgb(255, 255, 255),  //  5 window
    Rgb(0, 0, 0),        //  6 window frame
    Rgb(0, 0, 0),        //  7 menu text
    Rgb(0, 0, 0),        //  8 window text
    Rgb(255, 255, 255),  //  9 caption text
    Rgb(212, 208, 200),  // 10 active border
    Rgb(212, 208, 200),  // 11 inactive border
    Rgb(128, 128, 128),  // 12 application workspace
    Rgb(10, 36, 106),    // 13 highlight
    Rgb(255, 255, 255),  // 14 highlight text
    Rgb(212, 208, 200),  // 15 button face
    Rgb(128, 128, 128),  // 16 button shadow
    Rgb(128, 128, 128),  // 17 grey text
    Rgb(0, 0, 0),        // 18 button text
    Rgb(212, 208, 200),  // 19 inactive caption text
    Rgb(255, 255, 255),  // 20 button highlight
    Rgb(64, 64, 64),     // 21 3-D dark shadow
    Rgb(212, 208, 200),  // 22 3-D light
    Rgb(0, 0, 0),        // 23 tooltip text
    Rgb(255, 255, 225),  // 24 tooltip background
    Rgb(181, 181, 181),  // 25 alternate button face
    Rgb(0, 0, 128),      // 26 hot-tracked item
    Rgb(166, 202, 240),  // 27 gradient of the active caption
    Rgb(192, 192, 192),  // 28 gradient of the inactive caption
    Rgb(10, 36, 106),    // 29 menu highlight
    Rgb(212, 208, 200),  // 30 menu bar
};

}  // namespace

uint32_t GetSystemColor(int index) {
  if (index < 0 || static_cast<size_t>(index) >= kClassicColors.size()) return 0;
  return kClassicColors[static_cast<size_t>(index)];
}

}  // namespace lumora
