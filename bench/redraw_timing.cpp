// The designer's redraw timed by the same code in every build, so that the
// native program and the browser's can be set side by side: the scene drawn
// onto the surface and copied to the window, on the headless backend. The
// browser's clock is coarse (0.1 ms in Chromium), so the calls are timed in
// batches long enough for it, by the monotonic clock in both builds, after a
// warm-up; the median batch gives the time of one call. The clock is read
// after every call, which costs well under a microsecond against the
// hundred or so of a redraw.
//
// Prints "name value" lines:
//   redraw_us    the scene onto the surface and the copy to the window
//   scene_us     the scene alone
//   copy_us      the copy alone
//   text_drawn   1 when this build draws text, 0 when it only measures it
//
//   velko_redraw_timing [samples]
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/scene.h"
#include "runtime/draw/palette.h"
#include "runtime/platform/render/render.h"
#include "runtime/velko.h"
#include "runtime/window/window.h"

namespace {

// Long enough that the browser's rounding is a fraction of a per cent.
constexpr double kBatchMs = 20;
// The browser compiles a program quickly at first and its hot functions
// again, optimised, while they run: the timing starts after this long.
constexpr double kWarmUpMs = 1000;

double now_ms() {
  using Clock = std::chrono::steady_clock;
  return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

struct Timed {
  std::function<void()> work;
  std::vector<double> per_call_us;
};

// Microseconds per call over a batch of calls lasting at least kBatchMs.
double batch_us(const std::function<void()>& work) {
  const double start = now_ms();
  long calls = 0;
  double elapsed = 0;
  do {
    work();
    ++calls;
    elapsed = now_ms() - start;
  } while (elapsed < kBatchMs);
  return elapsed * 1000.0 / static_cast<double>(calls);
}

// Each kind of work timed in turn, a batch of each per sample, so that a
// slow spell of the machine falls on all of them alike.
void time_in_turns(std::vector<Timed>& all, int samples) {
  for (int s = 0; s < samples; ++s) {
    for (Timed& t : all)
      t.per_call_us.push_back(batch_us(t.work));
  }
}

// Whether text leaves pixels on the surface in this build.
bool draws_text() {
  draw_background();
  const std::vector<std::uint32_t> before = surface_dc->pixels;
  VELKO_print_at(BLACK, -100, 0, 18, "VELKO");
  return surface_dc->pixels != before;
}

}  // namespace

int main(int argc, char** argv) {
  const int samples = argc > 1 ? std::atoi(argv[1]) : 21;
  if (samples < 1) {
    std::fprintf(stderr, "usage: %s [samples]\n", argv[0]);
    return 2;
  }
  bench_start_runtime();
  const bool text = draws_text();
  const DesignerState scene = bench_scene();
  std::vector<Timed> timed(3);
  timed[0].work = [&scene] {
    bench_redraw(scene);
    copy_surface();
  };
  timed[1].work = [&scene] { bench_redraw(scene); };
  timed[2].work = copy_surface;
  for (const double start = now_ms(); now_ms() - start < kWarmUpMs;)
    timed[0].work();
  time_in_turns(timed, samples);
  std::printf("redraw_us %.2f\nscene_us %.2f\ncopy_us %.2f\ntext_drawn %d\n",
              median_of(timed[0].per_call_us), median_of(timed[1].per_call_us),
              median_of(timed[2].per_call_us), text ? 1 : 0);
  return 0;
}
