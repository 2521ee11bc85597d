// The headless backend's control interface: input injected as the window
// system would queue it, time that passes, and inspection of what the
// program made of its windows and menus.
#include <algorithm>

#include "runtime/platform/headless/headless.h"
#include "runtime/platform/headless/headless_state.h"
#include "runtime/platform/winsys/winsys.h"

void headless_set_screen_size(int width, int height) {
  headless_state().screen_width = width;
  headless_state().screen_height = height;
}

std::int64_t headless_now_ms() {
  return headless_state().now;
}

void headless_set_auto_close(bool on) {
  headless_state().auto_close = on;
}

void headless_at(std::int64_t time_ms, std::function<void()> action) {
  HeadlessState& hl = headless_state();
  hl.schedule.push_back(HeadlessScheduled{time_ms, hl.schedule_order++, std::move(action)});
}

std::size_t headless_scheduled_count() {
  return headless_state().schedule.size();
}

void headless_advance_ms(std::int64_t ms) {
  HeadlessState& hl = headless_state();
  const std::int64_t target = hl.now + std::max<std::int64_t>(ms, 0);
  // Step through the scheduled times so each action runs at its own time.
  for (;;) {
    std::int64_t next = target;
    for (const auto& s : hl.schedule) {
      if (s.time > hl.now)
        next = std::min(next, s.time);
    }
    hl.now = next;
    headless_run_due_actions();
    if (hl.now >= target)
      return;
  }
}

int headless_wait_count() {
  return winsys_wait_count();
}

// ---------------------------------------------------------------------------
// Input

void headless_click(int client_x, int client_y, PlatWindow* window) {
  if (!window)
    window = headless_first_window();
  const PlatLParam position = winsys_size_param(client_x, client_y);
  winsys_input(window, PLAT_MSG_LBUTTONDOWN, 1, position);
  winsys_input(window, PLAT_MSG_LBUTTONUP, 0, position);
}

void headless_key_down(unsigned key_code, PlatWindow* target) {
  winsys_input(target, PLAT_MSG_KEYDOWN, key_code, 1);
}

void headless_key_up(unsigned key_code, PlatWindow* target) {
  winsys_input(target, PLAT_MSG_KEYUP, key_code, static_cast<PlatLParam>(0xC0000001u));
}

void headless_key_press(unsigned key_code, PlatWindow* target) {
  headless_key_down(key_code, target);
  headless_key_up(key_code, target);
}

void headless_ctrl_press(unsigned key_code, PlatWindow* target) {
  headless_key_down(PLAT_VK_CONTROL, target);
  headless_key_press(key_code, target);
  headless_key_up(PLAT_VK_CONTROL, target);
}

void headless_close_window(PlatWindow* window) {
  winsys_input(window, PLAT_MSG_CLOSE, 0, 0);
}

bool headless_choose_menu(PlatWindow* window, unsigned id) {
  if (!winsys_alive(window))
    return false;
  const WinsysMenuItem* item = winsys_find_item(window->menu, id);
  if (!item || (item->flags & PLAT_MENU_GRAYED))
    return false;
  winsys_input(window, PLAT_MSG_COMMAND, id, 0);
  return true;
}

void headless_resize_window(PlatWindow* window, int client_width, int client_height) {
  if (!winsys_alive(window))
    return;
  int cw = 0, ch = 0;
  winsys_client_from_frame(window, &cw, &ch);
  window->width += client_width - cw;
  window->height += client_height - ch;
  winsys_frame_changed(window);
  window->invalid = true;
}

// ---------------------------------------------------------------------------
// Inspection

PlatWindow* headless_find_window(const char* title) {
  for (PlatWindow* w : winsys_windows()) {
    if (title && w->title == title)
      return w;
  }
  return nullptr;
}

PlatWindow* headless_first_window() {
  const auto& windows = winsys_windows();
  return windows.empty() ? nullptr : windows.front();
}

PlatCanvas* headless_window_canvas(PlatWindow* window) {
  return window ? window->canvas : nullptr;
}
bool headless_window_visible(PlatWindow* window) {
  return winsys_alive(window) && window->visible;
}
bool headless_window_destroyed(PlatWindow* window) {
  return window && window->destroyed;
}
bool headless_window_resizable(PlatWindow* window) {
  return window && window->resizable;
}
std::string headless_window_title(PlatWindow* window) {
  return window ? window->title : "";
}

std::string headless_window_class(PlatWindow* window) {
  return window && window->window_class ? window->window_class->name : "";
}

void headless_window_frame(PlatWindow* window, int* x, int* y, int* width, int* height) {
  *x = window ? window->x : 0;
  *y = window ? window->y : 0;
  *width = window ? window->width : 0;
  *height = window ? window->height : 0;
}

int headless_paint_count(PlatWindow* window) {
  return window ? window->paint_count : 0;
}

PlatMenu* headless_window_menu(PlatWindow* window) {
  return window ? window->menu : nullptr;
}

std::vector<HeadlessMenuItem> headless_menu_items(PlatMenu* menu) {
  std::vector<HeadlessMenuItem> items;
  if (!menu)
    return items;
  for (const auto& item : menu->items)
    items.push_back(
        HeadlessMenuItem{item->flags, item->id, item->text, item->checked, item->popup});
  return items;
}

bool headless_menu_checked(PlatMenu* menu, unsigned id) {
  const WinsysMenuItem* item = winsys_find_item(menu, id);
  return item && item->checked;
}

int headless_menu_bar_draws(PlatWindow* window) {
  return window ? window->menu_bar_draws : 0;
}
