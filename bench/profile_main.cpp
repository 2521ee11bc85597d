// Runs one piece of work many times after a warm-up, for profilers: under
// valgrind --tool=callgrind --toggle-collect=profiled_work the instruction
// counts cover only the measured calls, and they repeat exactly from run to
// run where timings on a shared machine do not.
//
//   velko_bench_profile redraw|label|status|log|copy [count]
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/scene.h"
#include "runtime/velko.h"
#include "runtime/window/window.h"

namespace {

void (*work)() = nullptr;
DesignerState scene;

void redraw() {
  bench_redraw(scene);
}
void label() {
  VELKO_print_at(PANEL_LABELS[ADD_SCOOP].color, LABEL_X, LABEL_TOP_Y, LABEL_PTSIZE, "%s",
                 PANEL_LABELS[ADD_SCOOP].text);
}
void status() {
  draw_status(MODE_ADD_TOPPING);
}
void log_line() {
  VELKO_log("BLACK rectangle with bounding box (%d,%d) to (%d,%d) with line width %d\n", PANEL_LEFT,
            PANEL_TOP, PANEL_RIGHT, PANEL_TOP - BUTTON_HEIGHT, 1);
}
void copy() {
  copy_surface();
}

}  // namespace

// Not inlined, so that a profiler can name it.
__attribute__((noinline)) void profiled_work(int count) {
  for (int i = 0; i < count; ++i)
    work();
}

int main(int argc, char** argv) {
  const char* what = argc > 1 ? argv[1] : "redraw";
  const int count = argc > 2 ? std::atoi(argv[2]) : 100;
  struct Named {
    const char* name;
    void (*fn)();
  };
  const Named table[] = {
      {"redraw", redraw}, {"label", label}, {"status", status}, {"log", log_line}, {"copy", copy}};
  for (const Named& n : table) {
    if (std::strcmp(n.name, what) == 0)
      work = n.fn;
  }
  if (!work) {
    std::fprintf(stderr, "usage: %s redraw|label|status|log|copy [count]\n", argv[0]);
    return 2;
  }
  bench_start_runtime();
  scene = bench_scene();
  if (work == log_line)
    VELKO_show_log(1);
  bench_redraw(scene);
  for (int i = 0; i < 3; ++i)
    work();
  profiled_work(count);
  return 0;
}
