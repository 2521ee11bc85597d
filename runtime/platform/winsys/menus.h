// The menu model kept in memory, shared by the headless, gtk and web backends:
// menu bars with popups, items with ids, separators, greyed items and check
// marks, apart from whatever a toolkit shows of them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "runtime/platform/platform.h"
#include "runtime/platform/shared_api.h"

VELKO_SHARED_BEGIN

// What a toolkit keeps beside a menu or an item (gtk: its widgets).
struct NativeMenu;
struct NativeMenuItem;

struct WinsysMenuItem {
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
  std::vector<std::unique_ptr<WinsysMenuItem>> items;
  PlatMenu* parent = nullptr;    // the bar a popup hangs from
  PlatWindow* window = nullptr;  // the window a bar is attached to
  NativeMenu* native = nullptr;
};

// A new empty menu bar or popup; never freed, so handles stay safe.
PlatMenu* winsys_new_menu(bool bar);

// Appends an item; a separator keeps no id and no text. Null for a null menu.
WinsysMenuItem* winsys_append_item(PlatMenu* menu, unsigned flags, unsigned id, const char* text);

// Hangs a popup from a menu bar. A popup hangs from one place only: null when
// it already hangs somewhere, or when either menu is null.
WinsysMenuItem* winsys_append_popup(PlatMenu* bar, PlatMenu* popup, const char* text);

// The item with this id, in the menu or the popups hanging from it; separators
// and popup items are never found. Null when there is none.
WinsysMenuItem* winsys_find_item(PlatMenu* menu, unsigned id);

// The window the menu's bar is attached to, or null.
PlatWindow* winsys_menu_window(const PlatMenu* menu);

// Whether the bar may be attached to the window: only a free menu bar can be
// (or null, which takes the window's bar away).
bool winsys_menu_attachable(const PlatWindow* window, const PlatMenu* bar);

// Attaches the bar to the window in the records (detaching the old one).
void winsys_attach_menu(PlatWindow* window, PlatMenu* bar);

// Sets or clears a check mark by id; answers the item, or null.
WinsysMenuItem* winsys_check_item(PlatMenu* menu, unsigned id, bool checked);

// Drops every menu record (the handles given out become invalid).
void winsys_forget_menus();

VELKO_SHARED_END
