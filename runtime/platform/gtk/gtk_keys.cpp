// Keyboard translation: GDK key values to Windows virtual-key codes and
// characters.
#include "runtime/platform/gtk/gtk_keys.h"

#include <gdk/gdk.h>

#include <utility>

#include "runtime/platform/platform.h"
#include "runtime/platform/typed_char.h"
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

// The virtual-key codes of the keys of a PC keyboard by their scan code, as
// the keys of a US keyboard have them (0: none): digits, punctuation and the
// keypad keep the code of their place, as Windows' layouts mostly do.
// clang-format off
constexpr unsigned char scan_keys[] = {
    0, 27, '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', 189, 187, 8,         // 0x00: Esc, digits
    9, 'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P', 219, 221, 13, 17,        // 0x0F: Tab, Q..P
    'A', 'S', 'D', 'F', 'G', 'H', 'J', 'K', 'L', 186, 222, 192, 16, 220,          // 0x1E: A..L
    'Z', 'X', 'C', 'V', 'B', 'N', 'M', 188, 190, 191, 16, 106, 18, 32, 20,        // 0x2C: Z..M
    112, 113, 114, 115, 116, 117, 118, 119, 120, 121, 144, 145,                   // 0x3B: F1..F10
    103, 104, 105, 109, 100, 101, 102, 107, 97, 98, 99, 96, 110,                  // 0x47: keypad
    0, 0, 226, 122, 123,                                                          // 0x54: F11, F12
};
// clang-format on

// Dead keys: the combining accent each puts on the next letter, and the
// accent alone, as Windows gives it before a space or a letter it does not
// combine with.
struct DeadKey {
  unsigned keyval;
  gunichar combining;
  gunichar spacing;
};

constexpr DeadKey dead_keys[] = {
    {GDK_KEY_dead_grave, 0x300, '`'},      {GDK_KEY_dead_acute, 0x301, 0xB4},
    {GDK_KEY_dead_circumflex, 0x302, '^'}, {GDK_KEY_dead_tilde, 0x303, '~'},
    {GDK_KEY_dead_macron, 0x304, 0xAF},    {GDK_KEY_dead_breve, 0x306, 0x2D8},
    {GDK_KEY_dead_abovedot, 0x307, 0x2D9}, {GDK_KEY_dead_diaeresis, 0x308, 0xA8},
    {GDK_KEY_dead_abovering, 0x30A, 0xB0}, {GDK_KEY_dead_doubleacute, 0x30B, 0x2DD},
    {GDK_KEY_dead_caron, 0x30C, 0x2C7},    {GDK_KEY_dead_cedilla, 0x327, 0xB8},
    {GDK_KEY_dead_ogonek, 0x328, 0x2DB},
};

const DeadKey* dead_key(unsigned keyval) {
  for (const DeadKey& dead : dead_keys) {
    if (dead.keyval == keyval)
      return &dead;
  }
  return nullptr;
}

void add_typed(GbTyped* typed, gunichar code) {
  const int byte = windows_1252_from_unicode(code);
  if (byte > 0)
    typed->chars[typed->count++] = static_cast<unsigned>(byte);
}

}  // namespace

unsigned gb_vk_from_scan_code(unsigned scan_code) {
  return scan_code < sizeof scan_keys ? scan_keys[scan_code] : 0;
}

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
  if (code < 32 || code == 127)
    return 0;
  const int byte = windows_1252_from_unicode(code);
  return byte < 0 ? 0 : static_cast<unsigned>(byte);
}

bool gb_is_dead_key(unsigned keyval) {
  return dead_key(keyval) != nullptr;
}

GbTyped gb_after_dead_key(unsigned dead_keyval, unsigned keyval, unsigned vk) {
  GbTyped typed;
  const DeadKey* dead = dead_key(dead_keyval);
  const unsigned own = gb_char_from_keyval(keyval, vk, false);
  if (!dead) {
    if (own)
      typed.chars[typed.count++] = own;
    return typed;
  }
  gunichar composed = 0;
  if (vk == PLAT_VK_SPACE) {
    add_typed(&typed, dead->spacing);
  } else if (g_unichar_compose(gdk_keyval_to_unicode(keyval), dead->combining, &composed)) {
    add_typed(&typed, composed);
  } else {
    add_typed(&typed, dead->spacing);
    if (own)
      typed.chars[typed.count++] = own;
  }
  return typed;
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
