// The menu model in memory, and the seam's menu operations on it.
#include "runtime/platform/winsys/menus.h"

#include "runtime/platform/winsys/windows.h"
#include "runtime/platform/winsys/winsys.h"

namespace {

// Never freed (but by winsys_forget_menus), so menu handles stay safe to pass.
std::vector<std::unique_ptr<PlatMenu>>& menus() {
  static auto* all = new std::vector<std::unique_ptr<PlatMenu>>;
  return *all;
}

WinsysMenuItem* add(PlatMenu* menu) {
  menu->items.push_back(std::make_unique<WinsysMenuItem>());
  WinsysMenuItem* item = menu->items.back().get();
  item->owner = menu;
  return item;
}

}  // namespace

PlatMenu* winsys_new_menu(bool bar) {
  menus().push_back(std::make_unique<PlatMenu>());
  menus().back()->bar = bar;
  return menus().back().get();
}

WinsysMenuItem* winsys_append_item(PlatMenu* menu, unsigned flags, unsigned id, const char* text) {
  if (!menu)
    return nullptr;
  WinsysMenuItem* item = add(menu);
  item->flags = flags;
  if (!(flags & PLAT_MENU_SEPARATOR)) {
    item->id = id;
    item->text = text ? text : "";
    item->checked = (flags & PLAT_MENU_CHECKED) != 0;
  }
  return item;
}

WinsysMenuItem* winsys_append_popup(PlatMenu* bar, PlatMenu* popup, const char* text) {
  if (!bar || !popup || popup->parent || popup == bar)
    return nullptr;
  WinsysMenuItem* item = add(bar);
  item->text = text ? text : "";
  item->popup = popup;
  popup->parent = bar;
  return item;
}

WinsysMenuItem* winsys_find_item(PlatMenu* menu, unsigned id) {
  if (!menu)
    return nullptr;
  for (auto& item : menu->items) {
    if (item->popup) {
      if (WinsysMenuItem* found = winsys_find_item(item->popup, id))
        return found;
    } else if (!(item->flags & PLAT_MENU_SEPARATOR) && item->id == id) {
      return item.get();
    }
  }
  return nullptr;
}

PlatWindow* winsys_menu_window(const PlatMenu* menu) {
  while (menu && menu->parent)
    menu = menu->parent;
  return menu ? menu->window : nullptr;
}

bool winsys_menu_attachable(const PlatWindow* window, const PlatMenu* bar) {
  if (!window || window->menu == bar)
    return false;
  return !bar || (bar->bar && !bar->window);
}

void winsys_attach_menu(PlatWindow* window, PlatMenu* bar) {
  if (PlatMenu* old = window->menu)
    old->window = nullptr;
  window->menu = bar;
  if (bar)
    bar->window = window;
}

WinsysMenuItem* winsys_check_item(PlatMenu* menu, unsigned id, bool checked) {
  WinsysMenuItem* item = winsys_find_item(menu, id);
  if (item)
    item->checked = checked;
  return item;
}

void winsys_forget_menus() {
  menus().clear();
}

// ---------------------------------------------------------------------------
// The seam's menu operations

namespace {

PlatMenu* create_menu(bool bar) {
  PlatMenu* menu = winsys_new_menu(bar);
  if (winsys_driver().menu_created)
    winsys_driver().menu_created(menu);
  return menu;
}

void added(PlatMenu* menu, WinsysMenuItem* item) {
  if (item && winsys_driver().menu_item_added)
    winsys_driver().menu_item_added(menu, item);
}

}  // namespace

PlatMenu* winsys_create_menu_bar() {
  return create_menu(true);
}

PlatMenu* winsys_create_popup_menu() {
  return create_menu(false);
}

void winsys_append_menu_item(PlatMenu* menu, unsigned flags, unsigned id, const char* text) {
  added(menu, winsys_append_item(menu, flags, id, text));
}

void winsys_append_popup_menu(PlatMenu* bar, PlatMenu* popup, const char* text) {
  added(bar, winsys_append_popup(bar, popup, text));
}

void winsys_set_menu(PlatWindow* window, PlatMenu* bar) {
  if (!winsys_alive(window) || !winsys_menu_attachable(window, bar))
    return;
  PlatMenu* old = window->menu;
  winsys_attach_menu(window, bar);
  if (winsys_driver().menu_attached)
    winsys_driver().menu_attached(window, old);
  winsys_frame_changed(window);
}

void winsys_draw_menu_bar(PlatWindow* window) {
  if (!winsys_alive(window))
    return;
  ++window->menu_bar_draws;
  if (winsys_driver().menu_bar_drawn)
    winsys_driver().menu_bar_drawn(window);
}

void winsys_check_menu_item(PlatMenu* menu, unsigned id, bool checked) {
  WinsysMenuItem* item = winsys_check_item(menu, id, checked);
  if (item && winsys_driver().menu_item_checked)
    winsys_driver().menu_item_checked(item);
}
