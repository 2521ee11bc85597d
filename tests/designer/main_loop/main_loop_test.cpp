// The designer's main routine with its panel, editor and scene replaced by
// recorders: start-up order, routing of clicks and one full redraw per event.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "designer/designer.h"
#include "runtime/draw/palette.h"
#include "runtime/log/log_window.h"
#include "runtime/platform/headless/headless.h"
#include "runtime/velko.h"
#include "runtime/window/events.h"
#include "runtime/window/window.h"
#include "tests/support/client_origin.h"
#include "tests/support/test_support.h"

namespace {

std::vector<std::string> calls;
// What the routines saw of the runtime when the first redraw began.
bool log_visible_at_first_draw = true;
int logging_at_first_draw = -1;
int animate_at_first_draw = -1;
PlatColor centre_at_first_draw = 0;
// Makes clicks with x < -200 land in the panel.
bool panel_claims(int x) {
  return x < -200;
}

void note(const std::string& call) {
  if (calls.empty() && call == "background") {
    log_visible_at_first_draw = headless_window_visible(log_window);
    logging_at_first_draw = logging_enabled;
    animate_at_first_draw = animate;
    centre_at_first_draw = surface_at(0, 0);
  }
  calls.push_back(call);
}

std::vector<std::string> redraw_of(int mode, int scoops, int toppings) {
  return {"background",
          "panel",
          "status " + std::to_string(mode),
          "scoops " + std::to_string(scoops),
          "cone",
          "toppings " + std::to_string(toppings)};
}

}  // namespace

void draw_panel() {
  note("panel");
}
int in_panel(int x, int) {
  return panel_claims(x) ? 1 : 0;
}
void press_button(int x, int y, int& scoop_count, int[], int[], int& topping_count, int& mode,
                  int&) {
  note("press " + std::to_string(x) + "," + std::to_string(y));
  // Changes the state so that the redraw shows what it was handed.
  ++scoop_count;
  topping_count += 2;
  mode = MODE_GRAB;
}
int on_cone(int, int, int) {
  return 0;
}
void click_cone(int x, int y, int scoop_count, int& topping_count, int[], int[], int[], int[],
                int& mode, int&) {
  note("cone " + std::to_string(x) + "," + std::to_string(y) + " scoops " +
       std::to_string(scoop_count));
  ++topping_count;
  mode = MODE_SELECTED;
}
void draw_background() {
  note("background");
}
void draw_status(int mode) {
  note("status " + std::to_string(mode));
}
void draw_scoops(int scoop_count) {
  note("scoops " + std::to_string(scoop_count));
}
void draw_cone() {
  note("cone");
}
void draw_toppings(const int[], const int[], const int[], const int[], int topping_count) {
  note("toppings " + std::to_string(topping_count));
}
void draw_bar_topping(int, int, int) {}
void draw_triangle_topping(int, int) {}
void draw_disc_topping(int, int, int) {}

TEST(MainLoop, StartsUpInOrderAndRedrawsAfterEveryEventQuitIncluded) {
  headless_at(150, [] { headless_click(CLIENT_ORIGIN_X - 250, CLIENT_ORIGIN_Y - 100); });  // panel
  headless_at(160, [] { headless_key_press('Q', graphics_window); });
  headless_at(170,
              [] { headless_click(CLIENT_ORIGIN_X + 5, CLIENT_ORIGIN_Y - 30); });  // cone editor
  EXPECT_EQ(cone_main(nullptr, nullptr, nullptr, PLAT_SW_SHOWNORMAL), 0);

  // Before the first event: log hidden, logging off, surface wiped, animation on.
  EXPECT_FALSE(log_visible_at_first_draw);
  EXPECT_EQ(logging_at_first_draw, 0);
  EXPECT_EQ(animate_at_first_draw, 1);
  EXPECT_EQ(centre_at_first_draw, palette_rgb[WHITE]);

  std::vector<std::string> expected;
  auto add = [&](std::vector<std::string> part) {
    expected.insert(expected.end(), part.begin(), part.end());
  };
  add(redraw_of(MODE_ADD_TOPPING, 1, 0));  // tick at 100
  expected.push_back("press -250,100");
  add(redraw_of(MODE_GRAB, 2, 2));  // click at 150
  add(redraw_of(MODE_GRAB, 2, 2));  // key 'q' at 160 changes nothing
  expected.push_back("cone 5,30 scoops 2");
  add(redraw_of(MODE_SELECTED, 2, 3));  // click at 170
  add(redraw_of(MODE_SELECTED, 2, 3));  // quit: the schedule is used up
  EXPECT_EQ(calls, expected);
}

TEST(MainLoop, EndsAtTheFirstQuitEvent) {
  headless_at(50, [] { plat->post_quit(0); });
  EXPECT_EQ(cone_main(nullptr, nullptr, nullptr, PLAT_SW_SHOWNORMAL), 0);
  EXPECT_EQ(calls, redraw_of(MODE_ADD_TOPPING, 1, 0));
  // The graphics window was never closed: only the quit message ended the run.
  EXPECT_FALSE(headless_window_destroyed(graphics_window));
}
