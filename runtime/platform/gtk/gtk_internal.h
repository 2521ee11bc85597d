// Shared state of the GTK backend: the window and menu records behind the
// seam's handles, and the few calls its files make into each other. Names
// carry the prefix gb_ (GTK backend) so they never meet the toolkit's own.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runtime/platform/platform.h"

// The frame metrics of the classic Windows look, from which a window's
// client area is made out of the outer size the runtime asks for: a fixed
// 601 x 540 window with a menu so gets a 595 x 496 client area, as on
// Windows itself and on the headless backend. The real frame and menu bar
// are whatever the window manager and the theme make them.
inline constexpr int GB_FIXED_FRAME = 3;
inline constexpr int GB_SIZING_FRAME = 4;
inline constexpr int GB_CAPTION = 19;
inline constexpr int GB_MENU_BAR = 19;

struct GbClass {
  std::string name;
  PlatHandler handler = nullptr;
  bool redraw_on_resize = false;
  PlatColor background = 0;
};

struct PlatWindow {
  const GbClass* window_class = nullptr;
  std::string title;
  bool resizable = false;
  int width = 0, height = 0;  // outer frame as asked for
  bool visible = false;
  bool destroyed = false;
  bool invalid = false;  // needs a repaint by the runtime
  PlatMenu* menu = nullptr;
  PlatCanvas* canvas = nullptr;      // the client-area pixels; kept after destruction
  std::vector<std::uint32_t> shown;  // the pixels the screen was last asked to show
  bool check_queued = false;
  GtkWidget* window = nullptr;  // null once the toolkit's window is gone
  GtkWidget* box = nullptr;
  GtkWidget* area = nullptr;
};

struct GbMenuItem {
  unsigned flags = 0;
  unsigned id = 0;
  bool checked = false;
  PlatMenu* owner = nullptr;
  PlatMenu* popup = nullptr;    // for a popup item of a menu bar
  GtkWidget* widget = nullptr;  // null once the toolkit destroyed it
  gulong activate_handler = 0;
};

struct PlatMenu {
  bool bar = false;
  GtkWidget* widget = nullptr;   // GtkMenuBar or GtkMenu; one reference is ours
  PlatMenu* parent = nullptr;    // the bar a popup hangs from
  PlatWindow* window = nullptr;  // the window a bar is attached to
  std::vector<std::unique_ptr<GbMenuItem>> items;
};

// Opens the display and initialises GTK on first use. Without a display the
// program cannot run: it says why on standard error and exits with status 1.
void gb_open_display();

bool gb_alive(const PlatWindow* window);

// Hands a message straight to the window's handler (a sent message).
PlatResult gb_send(PlatWindow* window, unsigned kind, PlatWParam wparam, PlatLParam lparam);

// The first visible window that the runtime must repaint, or null.
PlatWindow* gb_window_to_paint();

// Stops every timer of a window that is being destroyed.
void gb_forget_timers(PlatWindow* window);

// Remembers what the key with this scan code gives, without and with Shift,
// as the layout had it when the key was pressed. plat_translate_message makes
// the character from it with the Shift and Ctrl state of the key messages
// taken so far, as Windows does.
void gb_remember_key(unsigned scan_code, unsigned plain_keyval, unsigned shifted_keyval);

// The client size that an outer frame leaves, by the metrics above.
void gb_client_from_frame(const PlatWindow* window, int* width, int* height);

// A menu bar was attached to the window: its client area shrinks by the menu
// bar's metric, and the window hears of the new size.
void gb_window_menu_changed(PlatWindow* window);
