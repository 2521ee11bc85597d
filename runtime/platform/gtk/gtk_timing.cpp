// Timing of the desktop backend; see gtk_timing.h.
#include "runtime/platform/gtk/gtk_timing.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "runtime/platform/render/render.h"

namespace {

struct Timing {
  bool on = false;
  FILE* out = nullptr;
  std::int64_t t0_us = 0;  // CLOCK_MONOTONIC at the program's start
  bool drawn_once = false;
  bool watching = false;
  int watch_x = 0, watch_y = 0;
  PlatColor watch_color = 0;
  PlatWindow* pressed = nullptr;
  std::int64_t press_us = 0;
};

Timing& timing() {
  static Timing t;
  return t;
}

std::int64_t clock_us(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

// The process's start on CLOCK_MONOTONIC, from the kernel's record of it on
// the boot clock (field 22 of /proc/self/stat, in clock ticks).
std::int64_t kernel_start_us() {
  FILE* stat = std::fopen("/proc/self/stat", "r");
  if (!stat)
    return clock_us(CLOCK_MONOTONIC);
  char line[1024] = {};
  const bool read = std::fgets(line, sizeof line, stat) != nullptr;
  std::fclose(stat);
  // The command name may hold spaces; the fields after it are plain.
  const char* p = read ? std::strrchr(line, ')') : nullptr;
  unsigned long long ticks = 0;
  if (!p || std::sscanf(p + 1,
                        " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d "
                        "%*d %*d %*d %llu",
                        &ticks) != 1) {
    return clock_us(CLOCK_MONOTONIC);
  }
  const std::int64_t started_boot =
      static_cast<std::int64_t>(ticks) * 1000000 / sysconf(_SC_CLK_TCK);
  return clock_us(CLOCK_MONOTONIC) - (clock_us(CLOCK_BOOTTIME) - started_boot);
}

double since_start_ms() {
  return static_cast<double>(clock_us(CLOCK_MONOTONIC) - timing().t0_us) / 1000.0;
}

PlatWindow* first_window() {
  const auto& windows = winsys_windows();
  return windows.empty() ? nullptr : windows.front();
}

}  // namespace

void gb_timing_start() {
  Timing& t = timing();
  if (t.on || t.out)
    return;
  const char* path = std::getenv("VELKO_TIMING");
  if (!path || !*path)
    return;
  t.out = std::fopen(path, "a");
  if (!t.out)
    return;
  t.on = true;
  const char* t0 = std::getenv("VELKO_TIMING_T0");
  t.t0_us = t0 && *t0 ? std::strtoll(t0, nullptr, 10) : kernel_start_us();
  unsigned color = 0;
  if (const char* watch = std::getenv("VELKO_TIMING_WATCH")) {
    t.watching = std::sscanf(watch, "%d,%d,%x", &t.watch_x, &t.watch_y, &color) == 3;
    t.watch_color = render_color_from_pixel(color);
  }
}

bool gb_timing_on() {
  return timing().on;
}

void gb_timing_mark(const char* what) {
  Timing& t = timing();
  if (!t.on)
    return;
  std::fprintf(t.out, "%s %.2f\n", what, since_start_ms());
  std::fflush(t.out);
}

void gb_timing_press(PlatWindow* window) {
  Timing& t = timing();
  if (!t.on)
    return;
  t.pressed = window;
  t.press_us = clock_us(CLOCK_MONOTONIC);
}

void gb_timing_drawn(PlatWindow* window, cairo_t* cr) {
  Timing& t = timing();
  if (!t.on)
    return;
  if (t.pressed == window) {
    std::fprintf(t.out, "click %lld\n",
                 static_cast<long long>(clock_us(CLOCK_MONOTONIC) - t.press_us));
    t.pressed = nullptr;
  }
  if (window == first_window()) {
    if (!t.drawn_once) {
      t.drawn_once = true;
      std::fprintf(t.out, "first_draw %.2f\n", since_start_ms());
    }
    if (t.watching && cairo_in_clip(cr, t.watch_x + 0.5, t.watch_y + 0.5) &&
        render_canvas_pixel(window->canvas, t.watch_x, t.watch_y) == t.watch_color) {
      t.watching = false;
      std::fprintf(t.out, "scene %.2f\n", since_start_ms());
    }
  }
  std::fflush(t.out);
}
