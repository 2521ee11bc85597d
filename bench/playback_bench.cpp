// The designer on the headless backend playing a script of 10,000 events
// (clicks, ticks and keys) with its full redraw after every event, against
// the rate its drawing alone allows. The script first builds the benchmark
// scene (three scoops, ten toppings of all three shapes, one selected), then
// moves the selected topping back and forth, with ticks and keys between.
//
// Prints, as "name value" lines: the events played per second of processor
// time, and, measured in the same process on the same scene, the redraw and
// the copy of the surface to the window that follows it, in microseconds.
//
//   velko_playback_bench [events]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/scene.h"
#include "runtime/platform/headless/headless.h"
#include "runtime/velko.h"
#include "runtime/window/window.h"

namespace {

struct Script {
  std::string text;
  int events = 0;
  void click(int x, int y) {
    text += "VELKO_MOUSE(" + std::to_string(x) + ", " + std::to_string(y) + ");\n";
    ++events;
  }
  void press(int button) { click(BUTTON_X, button_y(button)); }
  void ticks(int n) {
    text += "VELKO_PERIODIC(" + std::to_string(n) + ");\n";
    events += n;
  }
  void key(int code) {
    text += "VELKO_KBD(" + std::to_string(code) + ");\n";
    ++events;
  }
};

Script make_script(int total) {
  const DesignerState scene = bench_scene();
  Script s;
  s.press(ADD_SCOOP);
  s.press(ADD_SCOOP);
  for (int i = 0; i < scene.topping_count; ++i) {
    s.press(ADD_TOPPING);
    s.click(scene.topping_x[i], scene.topping_y[i]);
    // A new topping is a disc; the shapes cycle disc, bar, triangle.
    for (int n = (scene.topping_shape[i] - TOPPING_DISC + 3) % 3; n > 0; --n)
      s.press(CHANGE_TOPPING);
  }
  const int last = scene.topping_count - 1;
  const int x = scene.topping_x[last], y = scene.topping_y[last];
  while (s.events < total) {
    const int left = total - s.events;
    s.click(x + 6, y);
    if (left > 1)
      s.ticks(left > 4 ? 3 : left - 1);
    if (s.events < total)
      s.click(x, y);
    if (s.events < total)
      s.key('a' + s.events % 26);
  }
  return s;
}

struct Measured {
  double start_cpu = 0;
  double end_cpu = 0;
  double redraw_us = 0;
  double copy_us = 0;
};
Measured measured;

// Runs inside the event loop once playback has ended, on the scene the
// script built.
void measure_drawing() {
  measured.end_cpu = thread_cpu_us();
  const DesignerState scene = bench_scene();
  std::vector<double> redraws, copies;
  for (int i = 0; i < 300; ++i) {
    const double t0 = thread_cpu_us();
    bench_redraw(scene);
    const double t1 = thread_cpu_us();
    copy_surface();
    const double t2 = thread_cpu_us();
    redraws.push_back(t1 - t0);
    copies.push_back(t2 - t1);
  }
  measured.redraw_us = median_of(redraws);
  measured.copy_us = median_of(copies);
}

}  // namespace

int main(int argc, char** argv) {
  const int total = argc > 1 ? std::atoi(argv[1]) : 10000;
  std::string dir = (std::filesystem::temp_directory_path() / "velko-playback-XXXXXX").string();
  if (!mkdtemp(dir.data()) || chdir(dir.c_str()) != 0) {
    std::perror("velko_playback_bench: temporary directory");
    return 1;
  }
  const Script script = make_script(total);
  if (FILE* f = std::fopen("VELKO.SCR", "w")) {
    std::fputs(script.text.c_str(), f);
    std::fclose(f);
  }
  // Playback starts before the first tick; once it has ended the loop
  // waits, virtual time moves on, and the drawing is measured.
  headless_at(50, [] {
    measured.start_cpu = thread_cpu_us();
    headless_ctrl_press('P', graphics_window);
  });
  headless_at(60, measure_drawing);
  cone_main(nullptr, nullptr, nullptr, PLAT_SW_SHOWNORMAL);
  std::filesystem::remove_all(dir);

  const double seconds = (measured.end_cpu - measured.start_cpu) / 1e6;
  std::printf("playback_events %d\n", script.events);
  std::printf("playback_events_per_s %.1f\n", seconds > 0 ? script.events / seconds : 0.0);
  std::printf("playback_redraw_us %.2f\n", measured.redraw_us);
  std::printf("playback_copy_us %.2f\n", measured.copy_us);
  return 0;
}
