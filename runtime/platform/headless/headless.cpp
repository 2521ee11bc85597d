// The headless backend: the window system in memory with virtual time, and
// no screen. Input comes from its control interface (headless_control.cpp),
// at once or at a scheduled virtual time; the blocking wait moves the clock
// on to the next timer expiry or scheduled action instead of sleeping.
#include "runtime/platform/headless/headless.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "runtime/platform/backend.h"
#include "runtime/platform/headless/check.h"
#include "runtime/platform/headless/headless_state.h"
#include "runtime/platform/render/render.h"
#include "runtime/platform/winsys/winsys.h"

namespace {

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
    headless_state().now = std::max(headless_state().now, monotonic_ms() - real_clock().start_ms);
}

std::int64_t now_ms() {
  follow_real_clock();
  return headless_state().now;
}

void poll() {
  follow_real_clock();
  headless_run_due_actions();
}

void wait(std::int64_t deadline) {
  HeadlessState& hl = headless_state();
  std::int64_t next = deadline;
  for (const auto& s : hl.schedule)
    next = std::min(next, s.time);
  if (real_clock().on && next != INT64_MAX) {
    const std::int64_t ms = next - now_ms();
    if (ms > 0) {
      const timespec pause{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000};
      nanosleep(&pause, nullptr);
    }
    return;
  }
  PlatWindow* first = headless_first_window();
  if (hl.schedule.empty() && hl.auto_close && winsys_alive(first)) {
    check_note_closed_by_checker();
    winsys_input(first, PLAT_MSG_CLOSE, 0, 0);
    return;
  }
  if (next == INT64_MAX) {
    // Nothing can ever arrive: end the run instead of hanging. A program
    // that goes on asking is told once.
    static bool told = false;
    if (!told)
      std::fputs("headless: nothing can happen any more; posting quit\n", stderr);
    told = true;
    winsys_post_quit(0);
    return;
  }
  hl.now = std::max(hl.now, next);
}

void screen_size(int* width, int* height) {
  *width = headless_state().screen_width;
  *height = headless_state().screen_height;
}

constexpr WinsysDriver driver = {
    .now_ms = now_ms,
    .poll = poll,
    .wait = wait,
    .screen_size = screen_size,
};

// The graphics window's client area, as the user last saw it.
const PlatCanvas* shown_canvas() {
  PlatWindow* window = headless_first_window();
  return window ? window->canvas : nullptr;
}

// Everything lives in memory; only a run under velko-check has something to
// open: its transcript, and the playback of its script, which begins as the
// user would begin it, with Ctrl+P, before the program's first event.
const char* open_backend() {
  winsys_use(&driver);
  if (const char* why = check_open(shown_canvas))
    return why;
  if (check_active())
    headless_at(0, [] { headless_ctrl_press('P', headless_first_window()); });
  return nullptr;
}

void close_backend() {
  check_finish("finish", shown_canvas());
}

PlatCanvas* create_surface(PlatCanvas* compatible, int width, int height) {
  PlatCanvas* surface = render_create_surface(compatible, width, height);
  check_note_surface(surface);
  return surface;
}

// Our own drawing, with the surface noted for velko-check's picture of it.
constexpr PlatDraw headless_draw = [] {
  PlatDraw draw = render_draw;
  draw.create_surface = create_surface;
  return draw;
}();

}  // namespace

constinit const PlatBackend headless_backend =
    winsys_backend("headless", open_backend, close_backend, &headless_draw);

HeadlessState& headless_state() {
  static HeadlessState state;
  return state;
}

void headless_run_due_actions() {
  HeadlessState& hl = headless_state();
  for (;;) {
    auto next = std::min_element(hl.schedule.begin(), hl.schedule.end(),
                                 [](const HeadlessScheduled& a, const HeadlessScheduled& b) {
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

void headless_reset() {
  headless_state() = HeadlessState{};
  winsys_reset();  // the windows' canvases too
  winsys_use(&driver);
}
