// The menu model in memory.
#include "runtime/platform/soft/menus.h"

#include "runtime/platform/soft/windows.h"

namespace {

// Never freed (but by soft_forget_menus), so menu handles stay safe to pass.
std::vector<std::unique_ptr<PlatMenu>>& menus() {
  static auto* all = new std::vector<std::unique_ptr<PlatMenu>>;
  return *all;
}

SoftMenuItem* add(PlatMenu* menu) {
  menu->items.push_back(std::make_unique<SoftMenuItem>());
  SoftMenuItem* item = menu->items.back().get();
  item->owner = menu;
  return item;
}

}  // namespace

PlatMenu* soft_new_menu(bool bar) {
  menus().push_back(std::make_unique<PlatMenu>());
  menus().back()->bar = bar;
  return menus().back().get();
}

SoftMenuItem* soft_append_item(PlatMenu* menu, unsigned flags, unsigned id, const char* text) {
  if (!menu)
    return nullptr;
  SoftMenuItem* item = add(menu);
  item->flags = flags;
  if (!(flags & PLAT_MENU_SEPARATOR)) {
    item->id = id;
    item->text = text ? text : "";
    item->checked = (flags & PLAT_MENU_CHECKED) != 0;
  }
  return item;
}

SoftMenuItem* soft_append_popup(PlatMenu* bar, PlatMenu* popup, const char* text) {
  if (!bar || !popup || popup->parent || popup == bar)
    return nullptr;
  SoftMenuItem* item = add(bar);
  item->text = text ? text : "";
  item->popup = popup;
  popup->parent = bar;
  return item;
}

SoftMenuItem* soft_find_item(PlatMenu* menu, unsigned id) {
  if (!menu)
    return nullptr;
  for (auto& item : menu->items) {
    if (item->popup) {
      if (SoftMenuItem* found = soft_find_item(item->popup, id))
        return found;
    } else if (!(item->flags & PLAT_MENU_SEPARATOR) && item->id == id) {
      return item.get();
    }
  }
  return nullptr;
}

PlatWindow* soft_menu_window(const PlatMenu* menu) {
  while (menu && menu->parent)
    menu = menu->parent;
  return menu ? menu->window : nullptr;
}

bool soft_menu_attachable(const PlatWindow* window, const PlatMenu* bar) {
  if (!window || window->menu == bar)
    return false;
  return !bar || (bar->bar && !bar->window);
}

void soft_attach_menu(PlatWindow* window, PlatMenu* bar) {
  if (PlatMenu* old = window->menu)
    old->window = nullptr;
  window->menu = bar;
  if (bar)
    bar->window = window;
}

SoftMenuItem* soft_check_item(PlatMenu* menu, unsigned id, bool checked) {
  SoftMenuItem* item = soft_find_item(menu, id);
  if (item)
    item->checked = checked;
  return item;
}

void soft_forget_menus() {
  menus().clear();
}
