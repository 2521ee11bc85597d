// Shared state of the GTK backend: what it keeps beside the shared window and
// menu records (its widgets), and the few calls its files make into each
// other. Names carry the prefix gb_ (GTK backend) so they never meet the
// toolkit's own.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <vector>

#include "runtime/platform/platform.h"
#include "runtime/platform/soft/menus.h"
#include "runtime/platform/soft/windows.h"

// The widgets of a window. The client area is made out of the outer size the
// runtime asks for with the shared frame metrics, as on Windows itself and on
// the headless backend; the real frame and menu bar are whatever the window
// manager and the theme make them.
struct NativeWindow {
  bool check_queued = false;    // show_changes will run
  GtkWidget* window = nullptr;  // null once the toolkit's window is gone
  GtkWidget* box = nullptr;
  GtkWidget* area = nullptr;
};

struct NativeMenu {
  GtkWidget* widget = nullptr;  // GtkMenuBar or GtkMenu; one reference is ours
};

struct NativeMenuItem {
  GtkWidget* widget = nullptr;  // null once the toolkit destroyed it
  gulong activate_handler = 0;
};

// Opens the display and initialises GTK; null when ready, else why not.
const char* gb_open_display();

// Stops every timer of a window that is being destroyed.
void gb_forget_timers(PlatWindow* window);

// Remembers what the key with this scan code gives, without and with Shift,
// as the layout had it when the key was pressed. plat_translate_message makes
// the character from it with the Shift and Ctrl state of the key messages
// taken so far, as Windows does.
void gb_remember_key(unsigned scan_code, unsigned plain_keyval, unsigned shifted_keyval);

// A menu bar was attached to the window: its client area shrinks by the menu
// bar's metric, and the window hears of the new size.
void gb_window_menu_changed(PlatWindow* window);

// The backend's operations, one file per concern; gtk_backend.cpp puts them
// in the table.
PlatWindow* gb_create_window(const char* class_name, const char* title, bool resizable, int x,
                             int y, int width, int height, void* instance);
bool gb_show_window(PlatWindow* window, int show_mode);
void gb_screen_size(int* width, int* height);
PlatResult gb_default_handler(PlatWindow* window, unsigned kind, PlatWParam wparam,
                              PlatLParam lparam);

bool gb_peek_message(PlatMessage* message);
void gb_translate_message(const PlatMessage* message);
PlatResult gb_dispatch_message(const PlatMessage* message);
void gb_post_message(PlatWindow* window, unsigned kind, PlatWParam wparam, PlatLParam lparam);
void gb_post_quit(int exit_code);
void gb_wait_message();
void gb_set_timer(PlatWindow* window, unsigned id, unsigned period_ms);
void gb_kill_timer(PlatWindow* window, unsigned id);

PlatMenu* gb_create_menu_bar();
PlatMenu* gb_create_popup_menu();
void gb_append_menu_item(PlatMenu* menu, unsigned flags, unsigned id, const char* text);
void gb_append_popup(PlatMenu* bar, PlatMenu* popup, const char* text);
void gb_set_menu(PlatWindow* window, PlatMenu* bar);
void gb_draw_menu_bar(PlatWindow* window);
void gb_check_menu_item(PlatMenu* menu, unsigned id, bool checked);
