// The headless backend: windows, the queue, timers and menus in memory, with
// virtual time. Messages come out of the queue in the order Windows gives
// them: posted messages first, then a repaint of an invalid visible window,
// then an expired timer.
#include "runtime/platform/headless/headless.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>

#include "runtime/platform/soft/keyboard.h"
#include "runtime/platform/soft/soft.h"

struct PlatMenu {
  bool bar = false;
  std::vector<HeadlessMenuItem> items;
};

struct PlatWindow {
  const PlatClass* window_class = nullptr;
  std::string title;
  bool resizable = false;
  int x = 0, y = 0, width = 0, height = 0;  // outer frame as created
  bool visible = false;
  bool destroyed = false;
  bool invalid = false;
  PlatMenu* menu = nullptr;
  PlatCanvas* canvas = nullptr;
  int paint_count = 0;
  int menu_bar_draws = 0;

  PlatWindow() = default;
  PlatWindow(const PlatWindow&) = delete;
  PlatWindow& operator=(const PlatWindow&) = delete;
  ~PlatWindow() { soft_canvas_destroy(canvas); }
};

namespace {

struct Timer {
  PlatWindow* window;
  unsigned id;
  unsigned period;
  std::int64_t due;
};

struct Scheduled {
  std::int64_t time;
  std::uint64_t order;  // keeps actions of the same time in the order they were given
  std::function<void()> action;
};

struct Headless {
  std::map<std::string, std::unique_ptr<PlatClass>> classes;
  std::vector<std::unique_ptr<PlatWindow>> windows;  // never freed: handles stay safe
  std::vector<std::unique_ptr<PlatMenu>> menus;
  std::deque<PlatMessage> queue;
  std::vector<Timer> timers;
  std::vector<Scheduled> schedule;
  std::uint64_t schedule_order = 0;
  std::int64_t now = 0;
  int screen_width = 1024;
  int screen_height = 768;
  bool auto_close = true;
  int waits = 0;
  bool shift_down = false;
  bool ctrl_down = false;
};

Headless& state() {
  static Headless headless;
  return headless;
}

bool alive(const PlatWindow* window) {
  return window && !window->destroyed;
}

// Client size from the outer size: frame on each side, caption, menu bar.
void client_size_of(const PlatWindow* w, int* cw, int* ch) {
  const int frame = w->resizable ? HEADLESS_SIZING_FRAME : HEADLESS_FIXED_FRAME;
  *cw = std::max(0, w->width - 2 * frame);
  *ch = std::max(0, w->height - 2 * frame - HEADLESS_CAPTION - (w->menu ? HEADLESS_MENU_BAR : 0));
}

PlatLParam size_param(int width, int height) {
  return static_cast<PlatLParam>((width & 0xFFFF) | ((height & 0xFFFF) << 16));
}

PlatResult send(PlatWindow* window, unsigned kind, PlatWParam wparam, PlatLParam lparam) {
  if (!alive(window) || !window->window_class || !window->window_class->handler)
    return 0;
  return window->window_class->handler(window, kind, wparam, lparam);
}

// Sets the client area to the window's current outer size and tells the window.
void update_client(PlatWindow* window) {
  int cw = 0, ch = 0;
  client_size_of(window, &cw, &ch);
  if (cw == window->canvas->width && ch == window->canvas->height)
    return;
  soft_canvas_resize(window->canvas, cw, ch);
  if (window->window_class->redraw_on_resize || window->visible)
    window->invalid = true;
  send(window, PLAT_MSG_SIZE, 0, size_param(cw, ch));
}

void destroy_window(PlatWindow* window) {
  if (!alive(window))
    return;
  auto& hl = state();
  std::erase_if(hl.timers, [window](const Timer& t) { return t.window == window; });
  send(window, PLAT_MSG_DESTROY, 0, 0);
  window->destroyed = true;
  window->visible = false;
}

void run_due_actions() {
  auto& hl = state();
  for (;;) {
    auto next = std::min_element(hl.schedule.begin(), hl.schedule.end(),
                                 [](const Scheduled& a, const Scheduled& b) {
                                   return a.time != b.time ? a.time < b.time : a.order < b.order;
                                 });
    if (next == hl.schedule.end() || next->time > hl.now)
      return;
    std::function<void()> action = std::move(next->action);
    hl.schedule.erase(next);
    if (action)
      action();
  }
}

PlatWindow* window_to_paint() {
  for (auto& w : state().windows) {
    if (alive(w.get()) && w->visible && w->invalid)
      return w.get();
  }
  return nullptr;
}

Timer* expired_timer() {
  Timer* best = nullptr;
  for (auto& t : state().timers) {
    if (t.due <= state().now && (!best || t.due < best->due))
      best = &t;
  }
  return best;
}

bool message_ready() {
  run_due_actions();
  return !state().queue.empty() || window_to_paint() || expired_timer();
}

PlatMenu* new_menu(bool bar) {
  auto& hl = state();
  hl.menus.push_back(std::make_unique<PlatMenu>());
  hl.menus.back()->bar = bar;
  return hl.menus.back().get();
}

HeadlessMenuItem* find_item(PlatMenu* menu, unsigned id) {
  if (!menu)
    return nullptr;
  for (auto& item : menu->items) {
    if (item.popup) {
      if (auto* found = find_item(item.popup, id))
        return found;
    } else if (!(item.flags & PLAT_MENU_SEPARATOR) && item.id == id) {
      return &item;
    }
  }
  return nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// Windows

void plat_register_class(const PlatClass* window_class) {
  if (!window_class || !window_class->name)
    return;
  auto& slot = state().classes[window_class->name];
  if (!slot)
    slot = std::make_unique<PlatClass>(*window_class);
}

PlatWindow* plat_create_window(const char* class_name, const char* title, bool resizable, int x,
                               int y, int width, int height, void*) {
  auto& hl = state();
  auto found = hl.classes.find(class_name ? class_name : "");
  if (found == hl.classes.end())
    return nullptr;
  hl.windows.push_back(std::make_unique<PlatWindow>());
  PlatWindow* window = hl.windows.back().get();
  window->window_class = found->second.get();
  window->title = title ? title : "";
  window->resizable = resizable;
  window->x = x;
  window->y = y;
  window->width = width;
  window->height = height;
  window->canvas = soft_canvas_create(0, 0);
  send(window, PLAT_MSG_CREATE, 0, 0);
  if (!alive(window))
    return window;
  int cw = 0, ch = 0;
  client_size_of(window, &cw, &ch);
  soft_canvas_resize(window->canvas, cw, ch);
  send(window, PLAT_MSG_SIZE, 0, size_param(cw, ch));
  return window;
}

bool plat_show_window(PlatWindow* window, int show_mode) {
  if (!alive(window))
    return false;
  const bool was_visible = window->visible;
  window->visible = show_mode != PLAT_SW_HIDE;
  if (window->visible && !was_visible)
    window->invalid = true;
  return was_visible;
}

void plat_client_size(PlatWindow* window, int* width, int* height) {
  *width = 0;
  *height = 0;
  if (!alive(window))
    return;
  *width = window->canvas->width;
  *height = window->canvas->height;
}

void plat_screen_size(int* width, int* height) {
  *width = state().screen_width;
  *height = state().screen_height;
}

PlatResult plat_default_handler(PlatWindow* window, unsigned kind, PlatWParam, PlatLParam) {
  switch (kind) {
    case PLAT_MSG_CLOSE:
      destroy_window(window);
      return 0;
    case PLAT_MSG_PAINT:
      plat_begin_paint(window);
      plat_end_paint(window);
      return 0;
    default:
      return 0;
  }
}

void plat_begin_paint(PlatWindow* window) {
  if (!alive(window))
    return;
  if (window->invalid) {
    plat_fill_rect(window->canvas, 0, 0, window->canvas->width, window->canvas->height,
                   window->window_class->background);
  }
  window->invalid = false;
  ++window->paint_count;
}

void plat_end_paint(PlatWindow*) {}

// ---------------------------------------------------------------------------
// The queue

bool plat_peek_message(PlatMessage* message) {
  auto& hl = state();
  run_due_actions();
  if (!hl.queue.empty()) {
    *message = hl.queue.front();
    hl.queue.pop_front();
    // The keyboard state follows the key messages as they are taken.
    if (message->kind == PLAT_MSG_KEYDOWN || message->kind == PLAT_MSG_KEYUP) {
      const bool down = message->kind == PLAT_MSG_KEYDOWN;
      if (message->wparam == PLAT_VK_SHIFT)
        hl.shift_down = down;
      if (message->wparam == PLAT_VK_CONTROL)
        hl.ctrl_down = down;
    }
    return true;
  }
  if (PlatWindow* window = window_to_paint()) {
    *message = PlatMessage{window, PLAT_MSG_PAINT, 0, 0};
    return true;
  }
  if (Timer* timer = expired_timer()) {
    *message = PlatMessage{timer->window, PLAT_MSG_TIMER, timer->id, 0};
    while (timer->due <= hl.now)
      timer->due += timer->period;
    return true;
  }
  return false;
}

void plat_translate_message(const PlatMessage* message) {
  if (!message || message->kind != PLAT_MSG_KEYDOWN)
    return;
  const auto& hl = state();
  const unsigned character =
      soft_char_from_key(static_cast<unsigned>(message->wparam), hl.shift_down, hl.ctrl_down);
  // The character comes next, before any input queued after its key (posted
  // messages come before input on Windows too).
  if (character && alive(message->window)) {
    state().queue.push_front(
        PlatMessage{message->window, PLAT_MSG_CHAR, character, message->lparam});
  }
}

PlatResult plat_dispatch_message(const PlatMessage* message) {
  if (!message)
    return 0;
  return send(message->window, message->kind, message->wparam, message->lparam);
}

void plat_post_message(PlatWindow* window, unsigned kind, PlatWParam wparam, PlatLParam lparam) {
  if (!alive(window))
    return;
  state().queue.push_back(PlatMessage{window, kind, wparam, lparam});
}

void plat_post_quit(int exit_code) {
  state().queue.push_back(
      PlatMessage{nullptr, PLAT_MSG_QUIT, static_cast<PlatWParam>(exit_code), 0});
}

void plat_wait_message() {
  auto& hl = state();
  ++hl.waits;
  while (!message_ready()) {
    std::int64_t next = INT64_MAX;
    for (const auto& t : hl.timers)
      next = std::min(next, t.due);
    for (const auto& s : hl.schedule)
      next = std::min(next, s.time);
    if (hl.schedule.empty() && hl.auto_close && alive(headless_first_window())) {
      headless_close_window(headless_first_window());
      continue;
    }
    if (next == INT64_MAX) {
      // Nothing can ever arrive: end the run instead of hanging.
      std::fputs("headless: nothing can happen any more; posting quit\n", stderr);
      plat_post_quit(0);
      continue;
    }
    hl.now = std::max(hl.now, next);
  }
}

// ---------------------------------------------------------------------------
// Timers

void plat_set_timer(PlatWindow* window, unsigned id, unsigned period_ms) {
  if (!alive(window))
    return;
  auto& hl = state();
  plat_kill_timer(window, id);
  const unsigned period = std::max(1u, period_ms);
  hl.timers.push_back(Timer{window, id, period, hl.now + period});
}

void plat_kill_timer(PlatWindow* window, unsigned id) {
  std::erase_if(state().timers, [&](const Timer& t) { return t.window == window && t.id == id; });
}

// ---------------------------------------------------------------------------
// Menus

PlatMenu* plat_create_menu_bar() {
  return new_menu(true);
}
PlatMenu* plat_create_popup_menu() {
  return new_menu(false);
}

void plat_append_menu_item(PlatMenu* menu, unsigned flags, unsigned id, const char* text) {
  if (!menu)
    return;
  HeadlessMenuItem item;
  item.flags = flags;
  item.id = (flags & PLAT_MENU_SEPARATOR) ? 0 : id;
  item.text = (text && !(flags & PLAT_MENU_SEPARATOR)) ? text : "";
  item.checked = (flags & PLAT_MENU_CHECKED) != 0;
  menu->items.push_back(std::move(item));
}

void plat_append_popup(PlatMenu* bar, PlatMenu* popup, const char* text) {
  if (!bar || !popup)
    return;
  HeadlessMenuItem item;
  item.text = text ? text : "";
  item.popup = popup;
  bar->items.push_back(std::move(item));
}

void plat_set_menu(PlatWindow* window, PlatMenu* bar) {
  if (!alive(window))
    return;
  window->menu = bar;
  update_client(window);
}

void plat_draw_menu_bar(PlatWindow* window) {
  if (alive(window))
    ++window->menu_bar_draws;
}

void plat_check_menu_item(PlatMenu* menu, unsigned id, bool checked) {
  if (HeadlessMenuItem* item = find_item(menu, id))
    item->checked = checked;
}

// ---------------------------------------------------------------------------
// Window canvases

PlatCanvas* plat_get_canvas(PlatWindow* window) {
  return alive(window) ? window->canvas : nullptr;
}

void plat_release_canvas(PlatWindow*, PlatCanvas*) {}

// ---------------------------------------------------------------------------
// Control interface

void headless_set_screen_size(int width, int height) {
  state().screen_width = width;
  state().screen_height = height;
}

std::int64_t headless_now_ms() {
  return state().now;
}

void headless_set_auto_close(bool on) {
  state().auto_close = on;
}

void headless_at(std::int64_t time_ms, std::function<void()> action) {
  auto& hl = state();
  hl.schedule.push_back(Scheduled{time_ms, hl.schedule_order++, std::move(action)});
}

std::size_t headless_scheduled_count() {
  return state().schedule.size();
}

void headless_advance_ms(std::int64_t ms) {
  auto& hl = state();
  const std::int64_t target = hl.now + std::max<std::int64_t>(ms, 0);
  // Step through the scheduled times so each action runs at its own time.
  for (;;) {
    std::int64_t next = target;
    for (const auto& s : hl.schedule) {
      if (s.time > hl.now)
        next = std::min(next, s.time);
    }
    hl.now = next;
    run_due_actions();
    if (hl.now >= target)
      return;
  }
}

int headless_wait_count() {
  return state().waits;
}

void headless_click(int client_x, int client_y, PlatWindow* window) {
  if (!window)
    window = headless_first_window();
  const PlatLParam position = size_param(client_x, client_y);
  plat_post_message(window, PLAT_MSG_LBUTTONDOWN, 1, position);
  plat_post_message(window, PLAT_MSG_LBUTTONUP, 0, position);
}

void headless_key_down(unsigned key_code, PlatWindow* target) {
  plat_post_message(target, PLAT_MSG_KEYDOWN, key_code, 1);
}

void headless_key_up(unsigned key_code, PlatWindow* target) {
  plat_post_message(target, PLAT_MSG_KEYUP, key_code, static_cast<PlatLParam>(0xC0000001u));
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
  plat_post_message(window, PLAT_MSG_CLOSE, 0, 0);
}

bool headless_choose_menu(PlatWindow* window, unsigned id) {
  if (!alive(window))
    return false;
  const HeadlessMenuItem* item = find_item(window->menu, id);
  if (!item || (item->flags & PLAT_MENU_GRAYED))
    return false;
  plat_post_message(window, PLAT_MSG_COMMAND, id, 0);
  return true;
}

void headless_resize_window(PlatWindow* window, int client_width, int client_height) {
  if (!alive(window))
    return;
  int cw = 0, ch = 0;
  client_size_of(window, &cw, &ch);
  window->width += client_width - cw;
  window->height += client_height - ch;
  update_client(window);
  window->invalid = true;
}

PlatWindow* headless_find_window(const char* title) {
  for (auto& w : state().windows) {
    if (title && w->title == title)
      return w.get();
  }
  return nullptr;
}

PlatWindow* headless_first_window() {
  return state().windows.empty() ? nullptr : state().windows.front().get();
}

PlatCanvas* headless_window_canvas(PlatWindow* window) {
  return window ? window->canvas : nullptr;
}
bool headless_window_visible(PlatWindow* window) {
  return alive(window) && window->visible;
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
  return menu ? menu->items : std::vector<HeadlessMenuItem>{};
}

bool headless_menu_checked(PlatMenu* menu, unsigned id) {
  const HeadlessMenuItem* item = find_item(menu, id);
  return item && item->checked;
}

int headless_menu_bar_draws(PlatWindow* window) {
  return window ? window->menu_bar_draws : 0;
}

// ---------------------------------------------------------------------------
// Starting over

void headless_reset() {
  // The windows' destructors free their canvases.
  state() = Headless{};
}
