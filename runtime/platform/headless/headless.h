// The headless backend: windows, classes, the message queue, timers and menus
// in memory, with virtual time. Input is injected through the control
// interface below, either at once or at a virtual time. Nothing here sleeps:
// the blocking wait advances the clock to the next timer expiry or scheduled
// action.
//
// Frame metrics are those of the classic Windows look (see winsys/windows.h): a
// fixed 601 x 540 window with a menu has a 595 x 496 client area.
//
// When the schedule is used up and the program would block, the backend
// closes the first window that was created (as the user's close box would),
// so every run ends by itself.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/platform/platform.h"

// The screen reported by screen_size; 1024 x 768 unless set.
void headless_set_screen_size(int width, int height);

// Virtual time in milliseconds since the process started.
std::int64_t headless_now_ms();

// Whether the backend closes the first window when the schedule is used up
// and the program would block (on by default). With it off, the wait only
// advances the clock to the next timer expiry.
void headless_set_auto_close(bool on);

// Runs action when virtual time reaches time_ms (at once if it has already).
// An empty action only lets time pass until then.
void headless_at(std::int64_t time_ms, std::function<void()> action = {});
std::size_t headless_scheduled_count();

// Time passes while the program is busy elsewhere: the clock moves on by ms,
// actions that fall due run, and timers that expire wait in the queue (at most
// one message per timer).
void headless_advance_ms(std::int64_t ms);

// How many times the program blocked in wait_message.
int headless_wait_count();

// ---------------------------------------------------------------------------
// Input, queued at once as the window system would queue it.

// A left click (button down, then up) at a client pixel of the window; null
// means the first window created.
void headless_click(int client_x, int client_y, PlatWindow* window = nullptr);

// Key down and up by virtual-key code, for the window that has the keyboard
// focus; null means the focus is elsewhere and the program sees nothing.
// Shift (16) and Ctrl (17) are tracked as the queue delivers them and shape
// the characters translate_message makes.
void headless_key_down(unsigned key_code, PlatWindow* target);
void headless_key_up(unsigned key_code, PlatWindow* target);
// Down and up of one key.
void headless_key_press(unsigned key_code, PlatWindow* target);
// Down and up of the letter with Ctrl held (Ctrl down, key down, key up, Ctrl up).
void headless_ctrl_press(unsigned key_code, PlatWindow* target);

// The close box: a close message for the window.
void headless_close_window(PlatWindow* window);

// Chooses a menu item of the window's menu bar by id, as a click on it would:
// a command message is posted. Answers false (and posts nothing) when no
// enabled item has that id.
bool headless_choose_menu(PlatWindow* window, unsigned id);

// The user drags the window's frame: the client area becomes width x height.
void headless_resize_window(PlatWindow* window, int client_width, int client_height);

// ---------------------------------------------------------------------------
// Inspection

PlatWindow* headless_find_window(const char* title);  // null when none has it
PlatWindow* headless_first_window();
PlatCanvas* headless_window_canvas(PlatWindow* window);  // the client-area pixels
bool headless_window_visible(PlatWindow* window);
bool headless_window_destroyed(PlatWindow* window);
bool headless_window_resizable(PlatWindow* window);
std::string headless_window_title(PlatWindow* window);
std::string headless_window_class(PlatWindow* window);
// The outer frame as created (x, y, width, height).
void headless_window_frame(PlatWindow* window, int* x, int* y, int* width, int* height);
int headless_paint_count(PlatWindow* window);  // repaints opened with begin_paint

struct HeadlessMenuItem {
  unsigned flags = 0;  // PLAT_MENU_* as appended
  unsigned id = 0;
  std::string text;
  bool checked = false;
  PlatMenu* popup = nullptr;  // for a popup item of a menu bar
};

PlatMenu* headless_window_menu(PlatWindow* window);  // the attached menu bar
std::vector<HeadlessMenuItem> headless_menu_items(PlatMenu* menu);
bool headless_menu_checked(PlatMenu* menu, unsigned id);
int headless_menu_bar_draws(PlatWindow* window);  // calls of draw_menu_bar

// ---------------------------------------------------------------------------
// Starting over

// Forgets every class, window, menu, queued message, timer and scheduled
// action, and sets the clock, the screen size, the keyboard state and the
// settings back to their start, so that one process can run many programs in
// turn (fuzzers do). Every handle given out before is then invalid: the
// caller must forget the ones it kept.
void headless_reset();
