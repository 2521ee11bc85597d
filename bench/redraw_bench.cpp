// One full redraw of a designer-like scene through the public drawing
// operations, against one fill of the whole surface: the redraw should cost
// no more than a few surface fills.
#include <benchmark/benchmark.h>

#include "runtime/log/log_window.h"
#include "runtime/velko.h"
#include "runtime/window/window.h"

namespace {

void ensure_started() {
  static bool started = false;
  if (started)
    return;
  started = true;
  VELKO_start(nullptr, nullptr, nullptr, PLAT_SW_SHOWNORMAL);
  VELKO_show_log(0);
  VELKO_set_logging(0);
  VELKO_wipe();
}

const char* const kLabels[7] = {"Add Scoop",      "Remove Scoop", "Add Topping",   "Remove Topping",
                                "Change Topping", "Change Color", "Select Topping"};

struct Spot {
  int x, y;
};
const Spot kToppings[10] = {{-30, 150}, {20, 160}, {-10, 120}, {35, 125}, {-40, 90},
                            {0, 95},    {40, 80},  {-25, 40},  {15, 50},  {30, 20}};

void redraw_scene() {
  VELKO_rectangle(WHITE, -300, -250, 300, 250, 0);
  for (int i = 0; i < 7; ++i) {
    const int top = 230 - 45 * i;
    VELKO_rectangle(BLACK, -290, top, -170, top - 35, 1);
    VELKO_print_at(BLACK, -282, top - 25, 12, "%s", kLabels[i]);
  }
  VELKO_print_at(NAVY_BLUE, -120, -220, 18, "Click on a scoop to add a topping");
  VELKO_circle(PINK, 0, 139, 57);
  VELKO_circle(CHALK, 0, 82, 57);
  VELKO_circle(ICE_BLUE, 0, 25, 57);
  VELKO_triangle(BROWN, 0, -175, -60, 25, 60, 25, 0);
  for (int i = 0; i < 10; ++i) {
    VELKO_circle(i % PALETTE_SIZE, kToppings[i].x, kToppings[i].y, 8);
    VELKO_print_at(WHITE, kToppings[i].x - 4, kToppings[i].y - 5, 9, "m");
  }
}

void BM_Redraw(benchmark::State& state) {
  ensure_started();
  for (auto _ : state) {
    redraw_scene();
    benchmark::DoNotOptimize(surface_dc);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Redraw);

void BM_SurfaceFill(benchmark::State& state) {
  ensure_started();
  unsigned n = 0;
  for (auto _ : state) {
    plat_fill_rect(surface_dc, 0, 0, SURFACE_WIDTH, SURFACE_HEIGHT, (++n & 1) ? 0xFFFFFFu : 0u);
    benchmark::DoNotOptimize(surface_dc);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SurfaceFill);

}  // namespace

BENCHMARK_MAIN();
