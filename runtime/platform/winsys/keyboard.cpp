#include "runtime/platform/winsys/keyboard.h"

#include "runtime/platform/platform.h"

unsigned winsys_char_from_key(unsigned key, bool shift, bool ctrl) {
  if (key >= 'A' && key <= 'Z') {
    if (ctrl)
      return key - 'A' + 1;
    return shift ? key : key - 'A' + 'a';
  }
  if (key >= '0' && key <= '9') {
    if (ctrl)
      return 0;
    static const char shifted[] = ")!@#$%^&*(";
    return shift ? static_cast<unsigned char>(shifted[key - '0']) : key;
  }
  switch (key) {
    case PLAT_VK_BACK:
      return ctrl ? 127 : 8;
    case PLAT_VK_TAB:
      return ctrl ? 0 : 9;
    case PLAT_VK_RETURN:
      return ctrl ? 10 : 13;
    case PLAT_VK_ESCAPE:
      return 27;
    case PLAT_VK_SPACE:
      return 32;
    default:
      return 0;
  }
}
