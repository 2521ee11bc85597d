// Text with a warm glyph cache: one 12 px panel label, the designer's status
// line, and one line of the log window while it is shown (scroll, strip and
// text).
#include <benchmark/benchmark.h>

#include "bench/scene.h"
#include "runtime/velko.h"
#include "runtime/window/window.h"

namespace {

void BM_PanelLabel(benchmark::State& state) {
  bench_start_runtime();
  for (auto _ : state) {
    VELKO_print_at(PANEL_LABELS[ADD_SCOOP].color, LABEL_X, LABEL_TOP_Y, LABEL_PTSIZE, "%s",
                   PANEL_LABELS[ADD_SCOOP].text);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PanelLabel);

void BM_StatusLine(benchmark::State& state) {
  bench_start_runtime();
  for (auto _ : state) {
    draw_status(MODE_ADD_TOPPING);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_StatusLine);

void BM_LogLine(benchmark::State& state) {
  bench_start_runtime();
  VELKO_show_log(1);
  for (auto _ : state) {
    VELKO_log("BLACK rectangle with bounding box (%d,%d) to (%d,%d) with line width %d\n",
              PANEL_LEFT, PANEL_TOP, PANEL_RIGHT, PANEL_TOP - BUTTON_HEIGHT, 1);
    benchmark::ClobberMemory();
  }
  VELKO_show_log(0);
}
BENCHMARK(BM_LogLine);

// The copy of the surface to the graphics window that follows every redraw.
void BM_SurfaceCopy(benchmark::State& state) {
  bench_start_runtime();
  const DesignerState scene = bench_scene();
  for (auto _ : state) {
    state.PauseTiming();
    bench_redraw(scene);
    state.ResumeTiming();
    copy_surface();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SurfaceCopy);

}  // namespace
