// Keyboard translation: GDK key values to Windows virtual-key codes and
// characters.
#include "runtime/platform/gtk/gtk_keys.h"

#include <gdk/gdk.h>

#include <utility>

#include "runtime/platform/platform.h"
#include "runtime/platform/winsys/keyboard.h"

namespace {

// Keys with a fixed code; letters, digits, the keypad digits and the function
// keys are handled by range.
constexpr std::pair<unsigned, unsigned> fixed_keys[] = {
    {GDK_KEY_BackSpace, 8},
    {GDK_KEY_Tab, 9},
    {GDK_KEY_ISO_Left_Tab, 9},
    {GDK_KEY_KP_Tab, 9},
    {GDK_KEY_Return, 13},
    {GDK_KEY_KP_Enter, 13},
    {GDK_KEY_ISO_Enter, 13},
    {GDK_KEY_Shift_L, 16},
    {GDK_KEY_Shift_R, 16},
    {GDK_KEY_Control_L, 17},
    {GDK_KEY_Control_R, 17},
    {GDK_KEY_Alt_L, 18},
    {GDK_KEY_Alt_R, 18},
    {GDK_KEY_Meta_L, 18},
    {GDK_KEY_Meta_R, 18},
    {GDK_KEY_Pause, 19},
    {GDK_KEY_Caps_Lock, 20},
    {GDK_KEY_Escape, 27},
    {GDK_KEY_space, 32},
    {GDK_KEY_KP_Space, 32},
    {GDK_KEY_Page_Up, 33},
    {GDK_KEY_KP_Page_Up, 33},
    {GDK_KEY_Page_Down, 34},
    {GDK_KEY_KP_Page_Down, 34},
    {GDK_KEY_End, 35},
    {GDK_KEY_KP_End, 35},
    {GDK_KEY_Home, 36},
    {GDK_KEY_KP_Home, 36},
    {GDK_KEY_Left, 37},
    {GDK_KEY_KP_Left, 37},
    {GDK_KEY_Up, 38},
    {GDK_KEY_KP_Up, 38},
    {GDK_KEY_Right, 39},
    {GDK_KEY_KP_Right, 39},
    {GDK_KEY_Down, 40},
    {GDK_KEY_KP_Down, 40},
    {GDK_KEY_Print, 44},
    {GDK_KEY_Insert, 45},
    {GDK_KEY_KP_Insert, 45},
    {GDK_KEY_Delete, 46},
    {GDK_KEY_KP_Delete, 46},
    {GDK_KEY_Super_L, 91},
    {GDK_KEY_Super_R, 92},
    {GDK_KEY_Menu, 93},
    {GDK_KEY_KP_Multiply, 106},
    {GDK_KEY_KP_Add, 107},
    {GDK_KEY_KP_Separator, 108},
    {GDK_KEY_KP_Subtract, 109},
    {GDK_KEY_KP_Decimal, 110},
    {GDK_KEY_KP_Divide, 111},
    {GDK_KEY_Num_Lock, 144},
    {GDK_KEY_Scroll_Lock, 145},
    {GDK_KEY_semicolon, 186},
    {GDK_KEY_equal, 187},
    {GDK_KEY_comma, 188},
    {GDK_KEY_minus, 189},
    {GDK_KEY_period, 190},
    {GDK_KEY_slash, 191},
    {GDK_KEY_grave, 192},
    {GDK_KEY_bracketleft, 219},
    {GDK_KEY_backslash, 220},
    {GDK_KEY_bracketright, 221},
    {GDK_KEY_apostrophe, 222},
    {GDK_KEY_less, 226},  // the extra key of 102-key keyboards
};

}  // namespace

unsigned gb_vk_from_keyval(unsigned keyval) {
  if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z)
    return keyval - GDK_KEY_a + 'A';
  if (keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z)
    return keyval - GDK_KEY_A + 'A';
  if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9)
    return keyval - GDK_KEY_0 + '0';
  if (keyval >= GDK_KEY_KP_0 && keyval <= GDK_KEY_KP_9)
    return keyval - GDK_KEY_KP_0 + 96;
  if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F24)
    return keyval - GDK_KEY_F1 + 112;
  for (const auto& [value, vk] : fixed_keys) {
    if (value == keyval)
      return vk;
  }
  return 0;
}

unsigned gb_char_from_keyval(unsigned keyval, unsigned vk, bool ctrl) {
  // Keys whose character does not depend on the layout.
  switch (vk) {
    case PLAT_VK_BACK:
    case PLAT_VK_TAB:
    case PLAT_VK_RETURN:
    case PLAT_VK_ESCAPE:
    case PLAT_VK_SPACE:
      return winsys_char_from_key(vk, false, ctrl);
    default:
      break;
  }
  // Navigation, modifier and function keys make no character, whatever the
  // toolkit says of them (Delete, for one, has the code point 127).
  if (vk == 0 || (vk >= 16 && vk <= 46) || (vk >= 91 && vk <= 93) || (vk >= 112 && vk <= 145)) {
    return 0;
  }
  const gunichar code = gdk_keyval_to_unicode(keyval);
  if (ctrl) {
    if (code >= 'a' && code <= 'z')
      return code - 'a' + 1;
    if (code >= 'A' && code <= 'Z')
      return code - 'A' + 1;
    switch (code) {
      case '[':
        return 27;
      case '\\':
        return 28;
      case ']':
        return 29;
      case '^':
        return 30;
      case '_':
        return 31;
      default:
        return 0;
    }
  }
  if (code < 32 || code == 127 || code > 255)
    return 0;
  return code;
}

bool gb_is_system_key(unsigned keyval, bool alt, bool ctrl) {
  switch (keyval) {
    case GDK_KEY_Alt_L:
    case GDK_KEY_Alt_R:
    case GDK_KEY_Meta_L:
    case GDK_KEY_Meta_R:
    case GDK_KEY_F10:
      return true;
    case GDK_KEY_Control_L:
    case GDK_KEY_Control_R:
    case GDK_KEY_Shift_L:
    case GDK_KEY_Shift_R:
      return false;  // always reported, so the runtime's Ctrl state never sticks
    default:
      return alt && !ctrl;
  }
}
