// Menus on USER: a real menu bar with its popups, so mnemonics, keyboard
// navigation and check marks are the system's own. The seam's flags have
// the Windows values.
#include "runtime/platform/win32/win32_internal.h"

PlatMenu* w32_create_menu_bar() {
  return w32_menu(CreateMenu());
}

PlatMenu* w32_create_popup_menu() {
  return w32_menu(CreatePopupMenu());
}

void w32_append_menu_item(PlatMenu* menu, unsigned flags, unsigned id, const char* text) {
  if (!menu)
    return;
  if (flags & PLAT_MENU_SEPARATOR) {
    AppendMenuA(w32_hmenu(menu), MF_SEPARATOR, 0, nullptr);
    return;
  }
  const UINT kept = flags & (PLAT_MENU_GRAYED | PLAT_MENU_CHECKED);
  AppendMenuA(w32_hmenu(menu), MF_STRING | kept, id, text ? text : "");
}

void w32_append_popup(PlatMenu* bar, PlatMenu* popup, const char* text) {
  if (!bar || !popup)
    return;
  AppendMenuA(w32_hmenu(bar), MF_POPUP, reinterpret_cast<UINT_PTR>(w32_hmenu(popup)),
              text ? text : "");
}

void w32_set_menu(PlatWindow* window, PlatMenu* bar) {
  if (w32_alive(window))
    SetMenu(w32_hwnd(window), w32_hmenu(bar));
}

void w32_draw_menu_bar(PlatWindow* window) {
  if (w32_alive(window))
    DrawMenuBar(w32_hwnd(window));
}

void w32_check_menu_item(PlatMenu* menu, unsigned id, bool checked) {
  if (menu)
    CheckMenuItem(w32_hmenu(menu), id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}
