// The window system in memory, written once for every backend that has no
// native one to hand through (headless, gtk, web): window records and the
// dead-handle rule, menus and check marks, the message queue and its order,
// timers, key translation and the default handler. A backend on it brings
// only what differs, as a driver:
//
//   - where input comes from: it hands what the user does (keys, clicks,
//     the close box, a menu choice) to winsys_input, in the order it was
//     done;
//   - what the clock is: now_ms, and a wait that blocks until input may have
//     arrived or the clock reaches a deadline;
//   - how a window's pixels reach the screen, and what the toolkit keeps
//     beside the records (all optional: headless keeps nothing).
//
// The queue gives messages in the order Windows does: posted messages (a
// character made by translation is posted behind them), then the quit
// message, then input, then a repaint of an invalid visible window, then the
// oldest expired timer. A
// timer that expires again while its message waits unread adds none.
#pragma once

#include <cstdint>

#include "runtime/platform/platform.h"
#include "runtime/platform/shared_api.h"
#include "runtime/platform/winsys/menus.h"
#include "runtime/platform/winsys/windows.h"

VELKO_SHARED_BEGIN

struct WinsysDriver {
  // -- Input and time (the clock is in milliseconds, from any start).
  std::int64_t (*now_ms)() = nullptr;
  // Lets the toolkit hand over what input it has, without blocking.
  void (*poll)() = nullptr;
  // Blocks until input may have arrived or the clock reaches deadline_ms
  // (INT64_MAX: no deadline). May return early; the caller asks again.
  void (*wait)(std::int64_t deadline_ms) = nullptr;
  void (*screen_size)(int* width, int* height) = nullptr;
  // The character a key-down makes, with Shift and Ctrl as the key messages
  // taken so far left them; null keeps the US layout of winsys_char_from_key.
  unsigned (*char_from_key)(const PlatMessage& key_down, bool shift, bool ctrl) = nullptr;

  // -- The toolkit's side of the records.
  // A new record, before its create message.
  void (*window_created)(PlatWindow* window) = nullptr;
  // The client area the frame leaves is width x height.
  void (*window_sized)(PlatWindow* window, int width, int height) = nullptr;
  void (*window_shown)(PlatWindow* window, bool visible, bool was_visible) = nullptr;
  // After the destroy message; the record stays.
  void (*window_destroyed)(PlatWindow* window) = nullptr;
  void (*menu_created)(PlatMenu* menu) = nullptr;
  void (*menu_item_added)(PlatMenu* menu, WinsysMenuItem* item) = nullptr;
  // The bar the window had before is old (or null).
  void (*menu_attached)(PlatWindow* window, PlatMenu* old) = nullptr;
  void (*menu_bar_drawn)(PlatWindow* window) = nullptr;
  void (*menu_item_checked)(WinsysMenuItem* item) = nullptr;
};

// The driver of the backend in use; a backend's open makes it so.
void winsys_use(const WinsysDriver* driver);

// -- For drivers and their control interfaces

// What the user did (a key, a click, the close box, a menu choice), queued
// behind earlier input; nothing for a destroyed window.
void winsys_input(PlatWindow* window, unsigned kind, PlatWParam wparam, PlatLParam lparam);
// A key-down whose character the toolkit has already found in the user's
// layout (the browser's KeyboardEvent.key), as a Unicode code point (0: the
// key types none): its translation makes that character, by the one rule for
// typed characters (typed_char.h), in place of the driver's.
void winsys_input_typed_key(PlatWindow* window, PlatWParam key_code, PlatLParam lparam,
                            char32_t typed);
void winsys_post_message(PlatWindow* window, unsigned kind, PlatWParam wparam, PlatLParam lparam);
void winsys_post_quit(int exit_code);

// The client area changed size from outside (the user dragged the frame):
// the canvas follows and the window hears of it by a posted size message.
void winsys_client_resized(PlatWindow* window, int width, int height);
// The outer frame changed: the client area follows and the window hears of
// it at once.
void winsys_frame_changed(PlatWindow* window);

void winsys_destroy_window(PlatWindow* window);

// How many times the program blocked in wait_message.
int winsys_wait_count();

// Forgets every class, window, menu, queued message, timer and the keyboard
// state (every handle given out becomes invalid), for programs that run the
// runtime many times in one process.
void winsys_reset();

// Says on standard error, after the program's name, why the program cannot
// go on, and ends the process with status 1.
[[noreturn]] void winsys_fail(const char* message);

// For winsys's own files: the driver in use, and the timers of a window
// being destroyed.
const WinsysDriver& winsys_driver();
void winsys_forget_timers(PlatWindow* window);

// -- The window-system entries of the seam, as the tables take them (see
// platform.h for what each does).

PlatWindow* winsys_create_window(const char* class_name, const char* title, bool resizable, int x,
                                 int y, int width, int height, void* instance);
bool winsys_show_window(PlatWindow* window, int show_mode);
void winsys_screen_size(int* width, int* height);
PlatResult winsys_default_handler(PlatWindow* window, unsigned kind, PlatWParam wparam,
                                  PlatLParam lparam);
bool winsys_peek_message(PlatMessage* message);
void winsys_translate_message(const PlatMessage* message);
PlatResult winsys_dispatch_message(const PlatMessage* message);
void winsys_wait_message();
void winsys_set_timer(PlatWindow* window, unsigned id, unsigned period_ms);
void winsys_kill_timer(PlatWindow* window, unsigned id);
PlatMenu* winsys_create_menu_bar();
PlatMenu* winsys_create_popup_menu();
void winsys_append_menu_item(PlatMenu* menu, unsigned flags, unsigned id, const char* text);
void winsys_append_popup_menu(PlatMenu* bar, PlatMenu* popup, const char* text);
void winsys_set_menu(PlatWindow* window, PlatMenu* bar);
void winsys_draw_menu_bar(PlatWindow* window);
void winsys_check_menu_item(PlatMenu* menu, unsigned id, bool checked);
void winsys_close_nothing();

// A backend's table: the window system from here, open and close from the
// backend (close may be null), and the drawing it comes with.
constexpr PlatBackend winsys_backend(const char* name, const char* (*open)(), void (*close)(),
                                     const PlatDraw* draw) {
  return PlatBackend{
      .name = name,
      .open = open,
      .close = close ? close : winsys_close_nothing,
      .fail = winsys_fail,
      .register_class = winsys_register_class,
      .create_window = winsys_create_window,
      .show_window = winsys_show_window,
      .client_size = winsys_client_size,
      .screen_size = winsys_screen_size,
      .default_handler = winsys_default_handler,
      .begin_paint = winsys_begin_paint,
      .end_paint = winsys_end_paint,
      .get_canvas = winsys_get_canvas,
      .release_canvas = winsys_release_canvas,
      .peek_message = winsys_peek_message,
      .translate_message = winsys_translate_message,
      .dispatch_message = winsys_dispatch_message,
      .post_message = winsys_post_message,
      .post_quit = winsys_post_quit,
      .wait_message = winsys_wait_message,
      .set_timer = winsys_set_timer,
      .kill_timer = winsys_kill_timer,
      .create_menu_bar = winsys_create_menu_bar,
      .create_popup_menu = winsys_create_popup_menu,
      .append_menu_item = winsys_append_menu_item,
      .append_popup = winsys_append_popup_menu,
      .set_menu = winsys_set_menu,
      .draw_menu_bar = winsys_draw_menu_bar,
      .check_menu_item = winsys_check_menu_item,
      .draw = draw,
  };
}

VELKO_SHARED_END
