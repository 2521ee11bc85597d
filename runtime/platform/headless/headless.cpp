// The headless backend: windows, the queue, timers and menus in memory, with
// virtual time. Messages come out of the queue in the order Windows gives
// them: posted messages first, then a repaint of an invalid visible window,
// then an expired timer.
#include "runtime/platform/headless/headless.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>

#include "runtime/platform/backend.h"
#include "runtime/platform/headless/check.h"
#include "runtime/platform/soft/keyboard.h"
#include "runtime/platform/soft/menus.h"
#include "runtime/platform/soft/soft.h"
#include "runtime/platform/soft/windows.h"

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

// With VELKO_HEADLESS_CLOCK=real the clock is the real one and the blocking
// wait sleeps until the next timer expiry, so that a program's use of the
// processor while it idles can be measured without a display. While a timer
// runs such a run does not end by itself: nothing closes its windows.
struct RealClock {
  bool on = false;
  std::int64_t start_ms = 0;
};

std::int64_t monotonic_ms() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

const RealClock& real_clock() {
  static const RealClock clock = [] {
    RealClock c;
    const char* wanted = std::getenv("VELKO_HEADLESS_CLOCK");
    c.on = wanted && std::strcmp(wanted, "real") == 0;
    c.start_ms = monotonic_ms();
    return c;
  }();
  return clock;
}

// Brings virtual time up to the real clock when that is in use.
void follow_real_clock() {
  if (real_clock().on)
    state().now = std::max(state().now, monotonic_ms() - real_clock().start_ms);
}

// Sets the client area to the window's current outer size and tells the window.
void update_client(PlatWindow* window) {
  int cw = 0, ch = 0;
  soft_client_from_frame(window, &cw, &ch);
  if (cw == window->canvas->width && ch == window->canvas->height)
    return;
  soft_canvas_resize(window->canvas, cw, ch);
  if (window->window_class->redraw_on_resize || window->visible)
    window->invalid = true;
  soft_send(window, PLAT_MSG_SIZE, 0, soft_size_param(cw, ch));
}

void destroy_window(PlatWindow* window) {
  if (!soft_alive(window))
    return;
  auto& hl = state();
  std::erase_if(hl.timers, [window](const Timer& t) { return t.window == window; });
  soft_send(window, PLAT_MSG_DESTROY, 0, 0);
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

Timer* expired_timer() {
  Timer* best = nullptr;
  for (auto& t : state().timers) {
    if (t.due <= state().now && (!best || t.due < best->due))
      best = &t;
  }
  return best;
}

bool message_ready() {
  follow_real_clock();
  run_due_actions();
  return !state().queue.empty() || soft_window_to_paint() || expired_timer();
}

// ---------------------------------------------------------------------------
// The backend

PlatWindow* first_window() {
  const auto& windows = soft_windows();
  return windows.empty() ? nullptr : windows.front();
}

// Everything lives in memory; only a run under velko-check has something to
// open: its transcript, and the playback of its script, which begins as the
// user would begin it, with Ctrl+P, before the program's first event.
// The graphics window's client area, as the user last saw it.
const PlatCanvas* shown_canvas() {
  PlatWindow* window = first_window();
  return window ? window->canvas : nullptr;
}

const char* open_backend() {
  if (const char* why = check_open(shown_canvas))
    return why;
  if (check_active())
    headless_at(0, [] { headless_ctrl_press('P', first_window()); });
  return nullptr;
}

void close_backend() {
  check_finish("finish", shown_canvas());
}

PlatCanvas* create_surface(PlatCanvas* compatible, int width, int height) {
  PlatCanvas* surface = soft_create_surface(compatible, width, height);
  check_note_surface(surface);
  return surface;
}

// ---------------------------------------------------------------------------
// Windows

PlatWindow* create_window(const char* class_name, const char* title, bool resizable, int x, int y,
                          int width, int height, void*) {
  const SoftClass* window_class = soft_find_class(class_name);
  if (!window_class)
    return nullptr;
  PlatWindow* window = soft_new_window(window_class, title, resizable, x, y, width, height);
  soft_send(window, PLAT_MSG_CREATE, 0, 0);
  if (!soft_alive(window))
    return window;
  int cw = 0, ch = 0;
  soft_client_from_frame(window, &cw, &ch);
  soft_canvas_resize(window->canvas, cw, ch);
  soft_send(window, PLAT_MSG_SIZE, 0, soft_size_param(cw, ch));
  return window;
}

bool show_window(PlatWindow* window, int show_mode) {
  if (!soft_alive(window))
    return false;
  const bool was_visible = window->visible;
  window->visible = show_mode != PLAT_SW_HIDE;
  if (window->visible && !was_visible)
    window->invalid = true;
  return was_visible;
}

void screen_size(int* width, int* height) {
  *width = state().screen_width;
  *height = state().screen_height;
}

PlatResult default_handler(PlatWindow* window, unsigned kind, PlatWParam, PlatLParam) {
  switch (kind) {
    case PLAT_MSG_CLOSE:
      destroy_window(window);
      return 0;
    case PLAT_MSG_PAINT:
      soft_begin_paint(window);
      soft_end_paint(window);
      return 0;
    default:
      return 0;
  }
}

// ---------------------------------------------------------------------------
// The queue

void post_message(PlatWindow* window, unsigned kind, PlatWParam wparam, PlatLParam lparam) {
  if (!soft_alive(window))
    return;
  state().queue.push_back(PlatMessage{window, kind, wparam, lparam});
}

void post_quit(int exit_code) {
  state().queue.push_back(
      PlatMessage{nullptr, PLAT_MSG_QUIT, static_cast<PlatWParam>(exit_code), 0});
}

bool peek_message(PlatMessage* message) {
  auto& hl = state();
  follow_real_clock();
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
  if (PlatWindow* window = soft_window_to_paint()) {
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

void translate_message(const PlatMessage* message) {
  if (!message || message->kind != PLAT_MSG_KEYDOWN)
    return;
  const auto& hl = state();
  const unsigned character =
      soft_char_from_key(static_cast<unsigned>(message->wparam), hl.shift_down, hl.ctrl_down);
  // The character comes next, before any input queued after its key (posted
  // messages come before input on Windows too).
  if (character && soft_alive(message->window)) {
    state().queue.push_front(
        PlatMessage{message->window, PLAT_MSG_CHAR, character, message->lparam});
  }
}

PlatResult dispatch_message(const PlatMessage* message) {
  if (!message)
    return 0;
  return soft_send(message->window, message->kind, message->wparam, message->lparam);
}

void wait_message() {
  auto& hl = state();
  ++hl.waits;
  while (!message_ready()) {
    std::int64_t next = INT64_MAX;
    for (const auto& t : hl.timers)
      next = std::min(next, t.due);
    for (const auto& s : hl.schedule)
      next = std::min(next, s.time);
    if (real_clock().on && next != INT64_MAX) {
      const std::int64_t ms = next - hl.now;
      if (ms > 0) {
        const timespec pause{static_cast<time_t>(ms / 1000),
                             static_cast<long>(ms % 1000) * 1000000};
        nanosleep(&pause, nullptr);
      }
      follow_real_clock();
      continue;
    }
    if (hl.schedule.empty() && hl.auto_close && soft_alive(first_window())) {
      check_note_closed_by_checker();
      post_message(first_window(), PLAT_MSG_CLOSE, 0, 0);
      continue;
    }
    if (next == INT64_MAX) {
      // Nothing can ever arrive: end the run instead of hanging. A program
      // that goes on asking is told once.
      static bool told = false;
      if (!told)
        std::fputs("headless: nothing can happen any more; posting quit\n", stderr);
      told = true;
      post_quit(0);
      continue;
    }
    hl.now = std::max(hl.now, next);
  }
}

// ---------------------------------------------------------------------------
// Timers

void kill_timer(PlatWindow* window, unsigned id) {
  std::erase_if(state().timers, [&](const Timer& t) { return t.window == window && t.id == id; });
}

void set_timer(PlatWindow* window, unsigned id, unsigned period_ms) {
  if (!soft_alive(window))
    return;
  auto& hl = state();
  kill_timer(window, id);
  const unsigned period = std::max(1u, period_ms);
  hl.timers.push_back(Timer{window, id, period, hl.now + period});
}

// ---------------------------------------------------------------------------
// Menus

PlatMenu* create_menu_bar() {
  return soft_new_menu(true);
}

PlatMenu* create_popup_menu() {
  return soft_new_menu(false);
}

void append_menu_item(PlatMenu* menu, unsigned flags, unsigned id, const char* text) {
  soft_append_item(menu, flags, id, text);
}

void append_popup(PlatMenu* bar, PlatMenu* popup, const char* text) {
  soft_append_popup(bar, popup, text);
}

void set_menu(PlatWindow* window, PlatMenu* bar) {
  if (!soft_alive(window) || !soft_menu_attachable(window, bar))
    return;
  soft_attach_menu(window, bar);
  update_client(window);
}

void draw_menu_bar(PlatWindow* window) {
  if (soft_alive(window))
    ++window->menu_bar_draws;
}

void check_menu_item(PlatMenu* menu, unsigned id, bool checked) {
  soft_check_item(menu, id, checked);
}

}  // namespace

constinit const PlatBackend headless_backend = soft_with_canvases({
    .name = "headless",
    .open = open_backend,
    .close = close_backend,
    .fail = soft_fail,
    .note_event = check_note_event,
    .note_log_line = check_note_log_line,
    .register_class = soft_register_class,
    .create_window = create_window,
    .show_window = show_window,
    .client_size = soft_client_size,
    .screen_size = screen_size,
    .default_handler = default_handler,
    .begin_paint = soft_begin_paint,
    .end_paint = soft_end_paint,
    .peek_message = peek_message,
    .translate_message = translate_message,
    .dispatch_message = dispatch_message,
    .post_message = post_message,
    .post_quit = post_quit,
    .wait_message = wait_message,
    .set_timer = set_timer,
    .kill_timer = kill_timer,
    .create_menu_bar = create_menu_bar,
    .create_popup_menu = create_popup_menu,
    .append_menu_item = append_menu_item,
    .append_popup = append_popup,
    .set_menu = set_menu,
    .draw_menu_bar = draw_menu_bar,
    .check_menu_item = check_menu_item,
    .get_canvas = soft_get_canvas,
    .release_canvas = soft_release_canvas,
    .create_surface = create_surface,
});

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
  const PlatLParam position = soft_size_param(client_x, client_y);
  post_message(window, PLAT_MSG_LBUTTONDOWN, 1, position);
  post_message(window, PLAT_MSG_LBUTTONUP, 0, position);
}

void headless_key_down(unsigned key_code, PlatWindow* target) {
  post_message(target, PLAT_MSG_KEYDOWN, key_code, 1);
}

void headless_key_up(unsigned key_code, PlatWindow* target) {
  post_message(target, PLAT_MSG_KEYUP, key_code, static_cast<PlatLParam>(0xC0000001u));
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
  post_message(window, PLAT_MSG_CLOSE, 0, 0);
}

bool headless_choose_menu(PlatWindow* window, unsigned id) {
  if (!soft_alive(window))
    return false;
  const SoftMenuItem* item = soft_find_item(window->menu, id);
  if (!item || (item->flags & PLAT_MENU_GRAYED))
    return false;
  post_message(window, PLAT_MSG_COMMAND, id, 0);
  return true;
}

void headless_resize_window(PlatWindow* window, int client_width, int client_height) {
  if (!soft_alive(window))
    return;
  int cw = 0, ch = 0;
  soft_client_from_frame(window, &cw, &ch);
  window->width += client_width - cw;
  window->height += client_height - ch;
  update_client(window);
  window->invalid = true;
}

PlatWindow* headless_find_window(const char* title) {
  for (PlatWindow* w : soft_windows()) {
    if (title && w->title == title)
      return w;
  }
  return nullptr;
}

PlatWindow* headless_first_window() {
  return first_window();
}

PlatCanvas* headless_window_canvas(PlatWindow* window) {
  return window ? window->canvas : nullptr;
}
bool headless_window_visible(PlatWindow* window) {
  return soft_alive(window) && window->visible;
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
  const SoftMenuItem* item = soft_find_item(menu, id);
  return item && item->checked;
}

int headless_menu_bar_draws(PlatWindow* window) {
  return window ? window->menu_bar_draws : 0;
}

// ---------------------------------------------------------------------------
// Starting over

void headless_reset() {
  state() = Headless{};
  soft_forget_windows();  // their canvases too
  soft_forget_menus();
}
