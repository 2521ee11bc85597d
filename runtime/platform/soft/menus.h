// The menu model kept in memory, shared by the headless and gtk backends:
// menu bars with popups, items with ids, separators, greyed items and check
// marks, apart from whatever a toolkit shows of them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "runtime/platform/platform.h"

// What a toolkit keeps beside a menu or an item (gtk: its widgets).
struct NativeMenu;
struct NativeMenuItem;

struct SoftMenuItem {
  unsigned flags = 0;  // PLAT_MENU_* as appended
  unsigned id = 0;     // 0 for separators and popups
  std::string text;    // as appended: "&" mnemonics, a tab before the shortcut
  bool checked = false;
  PlatMenu* owner = nullptr;
  PlatMenu* popup = nullptr;  // for a popup item of a menu bar
  NativeMenuItem* native = nullptr;
};

struct PlatMenu {
  bool bar = false;
  std::vector<std::unique_ptr<SoftMenuItem>> items;
  PlatMenu* parent = nullptr;    // the bar a popup hangs from
  PlatWindow* window = nullptr;  // the window a bar is attached to
  NativeMenu* native = nullptr;
};

// A new empty menu bar or popup; never freed, so handles stay safe.
PlatMenu* soft_new_menu(bool bar);

// Appends an item; a separator keeps no id and no text. Null for a null menu.
SoftMenuItem* soft_append_item(PlatMenu* menu, unsigned flags, unsigned id, const char* text);

// Hangs a popup from a menu bar. A popup hangs from one place only: null when
// it already hangs somewhere, or when either menu is null.
SoftMenuItem* soft_append_popup(PlatMenu* bar, PlatMenu* popup, const char* text);

// The item with this id, in the menu or the popups hanging from it; separators
// and popup items are never found. Null when there is none.
SoftMenuItem* soft_find_item(PlatMenu* menu, unsigned id);

// The window the menu's bar is attached to, or null.
PlatWindow* soft_menu_window(const PlatMenu* menu);

// Whether the bar may be attached to the window: only a free menu bar can be
// (or null, which takes the window's bar away).
bool soft_menu_attachable(const PlatWindow* window, const PlatMenu* bar);

// Attaches the bar to the window in the records (detaching the old one).
void soft_attach_menu(PlatWindow* window, PlatMenu* bar);

// Sets or clears a check mark by id; answers the item, or null.
SoftMenuItem* soft_check_item(PlatMenu* menu, unsigned id, bool checked);

// Drops every menu record (the handles given out become invalid).
void soft_forget_menus();
