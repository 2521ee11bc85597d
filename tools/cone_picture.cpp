// Runs the designer on the headless backend with a fixed series of clicks and
// writes what the graphics window then shows to a PNG file (by default
// cone.png in the current directory): three scoops, toppings of every shape in a few
// colours, the selected one moved.
//
//   velko-cone-picture [output.png]
#include <cstdint>
#include <cstdio>

#include "designer/designer.h"
#include "designer/panel_layout.h"
#include "runtime/platform/headless/headless.h"
#include "runtime/platform/platform.h"
#include "runtime/platform/render/png_writer.h"
#include "tests/support/client_origin.h"

namespace {

std::int64_t next_time = 150;  // between the first ticks, 100 ms apart

void click_at(int x, int y) {
  headless_at(next_time, [x, y] { headless_click(CLIENT_ORIGIN_X + x, CLIENT_ORIGIN_Y - y); });
  next_time += 100;
}

void press(int button, int times = 1) {
  for (int i = 0; i < times; ++i)
    click_at(BUTTON_X, button_y(button));
}

// A new topping at (x, y): a red disc, selected.
void add_topping(int x, int y) {
  press(ADD_TOPPING);
  click_at(x, y);
}

void schedule_clicks() {
  press(ADD_SCOOP, 2);  // three scoops

  add_topping(-22, 150);  // disc, red -> blue
  press(CHANGE_COLOR, 2);
  add_topping(24, 168);  // disc, red -> orange
  press(CHANGE_COLOR, 11);
  add_topping(-30, 95);  // bar, red -> magenta
  press(CHANGE_TOPPING);
  press(CHANGE_COLOR, 4);
  add_topping(28, 110);  // triangle (always brown)
  press(CHANGE_TOPPING, 2);
  add_topping(-8, 60);  // bar, red -> navy blue
  press(CHANGE_TOPPING);
  press(CHANGE_COLOR, 7);
  add_topping(30, 50);  // triangle
  press(CHANGE_TOPPING, 2);
  add_topping(2, 120);  // disc, red -> purple
  press(CHANGE_COLOR, 6);

  // Grab the first disc and move it.
  press(SELECT_TOPPING);
  click_at(-20, 152);
  click_at(-4, 178);
}

}  // namespace

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "cone.png";
  schedule_clicks();

  int written = -1;  // -1: the run ended before the picture was taken
  headless_at(next_time + 300, [path, &written] {
    PlatWindow* window = headless_find_window("VELKO Graphics");
    PlatCanvas* canvas = window ? headless_window_canvas(window) : nullptr;
    if (!canvas) {
      std::fputs("velko-cone-picture: no graphics window\n", stderr);
      written = 0;
      return;
    }
    written = render_write_png(canvas, path) ? 1 : 0;
  });

  cone_main(nullptr, nullptr, nullptr, PLAT_SW_SHOWNORMAL);

  if (written < 0)
    std::fputs("velko-cone-picture: the run ended before the picture\n", stderr);
  if (written != 1)
    return 1;
  std::printf("wrote %s\n", path);
  return 0;
}
