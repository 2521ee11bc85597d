// The GTK backend: a driver of the window system in memory (winsys/). What it
// keeps beside the window and menu records (its widgets), and the driver's
// hooks, one file per concern. Names carry the prefix gb_ (GTK backend) so they never meet the
// toolkit's own.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <vector>

#include "runtime/platform/platform.h"
#include "runtime/platform/winsys/menus.h"
#include "runtime/platform/winsys/windows.h"

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

// Remembers what the key with this scan code gives, without and with Shift,
// as the layout had it when the key was pressed; translation makes the
// character from it with the Shift and Ctrl state of the key messages taken
// so far, as Windows does.
void gb_remember_key(unsigned scan_code, unsigned plain_keyval, unsigned shifted_keyval);

// Input and time (gtk_queue.cpp).
std::int64_t gb_now_ms();
void gb_poll();
void gb_wait(std::int64_t deadline);
unsigned gb_char_from_key(const PlatMessage& key_down, bool shift, bool ctrl);

// Windows (gtk_windows.cpp).
void gb_screen_size(int* width, int* height);
void gb_window_created(PlatWindow* window);
void gb_window_sized(PlatWindow* window, int width, int height);
void gb_window_shown(PlatWindow* window, bool visible, bool was_visible);
void gb_window_destroyed(PlatWindow* window);

// Menus (gtk_menu.cpp).
void gb_menu_created(PlatMenu* menu);
void gb_menu_item_added(PlatMenu* menu, WinsysMenuItem* item);
void gb_menu_attached(PlatWindow* window, PlatMenu* old);
void gb_menu_bar_drawn(PlatWindow* window);
void gb_menu_item_checked(WinsysMenuItem* item);
