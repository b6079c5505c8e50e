// GDK key values as the Windows virtual-key codes the forms compare with.
#pragma once

#include <gdk/gdk.h>

namespace lumora {

inline int VirtualKeyOf(guint keyval) {
  switch (keyval) {
    case GDK_KEY_Escape:
      return 27;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
      return 13;
    case GDK_KEY_Tab:
      return 9;
    case GDK_KEY_BackSpace:
      return 8;
    case GDK_KEY_space:
      return 32;
    case GDK_KEY_Delete:
      return 46;
    case GDK_KEY_F1:
      return 112;
    case GDK_KEY_Left:
    case GDK_KEY_KP_Left:
      return 0x25;
    case GDK_KEY_Right:
    case GDK_KEY_KP_Right:
      return 0x27;
    case GDK_KEY_Back:
      return 0xA6;
    case GDK_KEY_Forward:
      return 0xA7;
    default:
      break;
  }
  const guint upper = gdk_keyval_to_upper(keyval);
  if ((upper >= 'A' && upper <= 'Z') || (upper >= '0' && upper <= '9')) return static_cast<int>(upper);
  return 0;
}

}  // namespace lumora
