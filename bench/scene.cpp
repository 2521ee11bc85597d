#include "bench/scene.h"

#include "runtime/velko.h"

namespace {

struct Spot {
  int x, y;
};
// On the scoops, spread over all three.
constexpr Spot kToppings[MAX_TOPPINGS] = {{-30, 150}, {20, 160}, {-10, 120}, {35, 125}, {-40, 90},
                                          {0, 95},    {40, 80},  {-25, 40},  {15, 50},  {30, 30}};

}  // namespace

void bench_start_runtime() {
  static bool started = false;
  if (started)
    return;
  started = true;
  VELKO_start(nullptr, nullptr, nullptr, 1);
  VELKO_show_log(0);
  VELKO_set_logging(0);
  VELKO_wipe();
}

DesignerState bench_scene() {
  DesignerState s;
  s.scoop_count = 3;
  s.mode = MODE_SELECTED;
  s.topping_count = MAX_TOPPINGS;
  s.selected = MAX_TOPPINGS - 1;
  for (int i = 0; i < MAX_TOPPINGS; ++i) {
    s.topping_x[i] = kToppings[i].x;
    s.topping_y[i] = kToppings[i].y;
    s.topping_shape[i] = i % 3;
    s.topping_color[i] = (2 + 5 * i) % PALETTE_SIZE;
  }
  return s;
}

void bench_redraw(const DesignerState& s) {
  draw_background();
  draw_panel();
  draw_status(s.mode);
  draw_scoops(s.scoop_count);
  draw_cone();
  draw_toppings(s.topping_x, s.topping_y, s.topping_shape, s.topping_color, s.topping_count);
}
