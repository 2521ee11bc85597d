// The real designer on the headless backend: scheduled clicks, then the
// surface after the run. Each case runs the designer once, in its own process.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "designer/designer.h"
#include "designer/panel_layout.h"
#include "runtime/draw/palette.h"
#include "runtime/platform/headless/headless.h"
#include "runtime/platform/platform.h"
#include "runtime/platform/render/render.h"
#include "runtime/velko.h"
#include "runtime/window/window.h"
#include "tests/support/client_origin.h"
#include "tests/support/ink.h"
#include "tests/support/test_support.h"

namespace {

// The status line's area: it starts at x = -130 and stands on y = -215.
constexpr int STATUS_LEFT = -130;
constexpr int STATUS_BASE = -215;

// Clicks are scheduled between the 100 ms ticks.
void click_at(std::int64_t time_ms, int x, int y) {
  headless_at(time_ms, [x, y] { headless_click(CLIENT_ORIGIN_X + x, CLIENT_ORIGIN_Y - y); });
}

// Runs the designer until the schedule is used up and the window closes.
void run_designer() {
  ASSERT_EQ(cone_main(nullptr, nullptr, nullptr, PLAT_SW_SHOWNORMAL), 0);
}

PlatColor rgb(int color) {
  return palette_rgb[static_cast<std::size_t>(color)];
}

int channel(PlatColor c, int shift) {
  return static_cast<int>((c >> shift) & 0xFFu);
}

// Whether a pixel is glyph ink of the colour on a white background.
bool is_ink(PlatColor pixel, int color) {
  return is_ink_of(pixel, rgb(color));
}

struct InkBox {
  int count = 0;
  int top = INT32_MIN;     // highest runtime y with ink
  int bottom = INT32_MAX;  // lowest runtime y with ink
  int height() const { return count ? top - bottom + 1 : 0; }
};

// The ink of a colour within x0..x1, y0..y1 (runtime coordinates, inclusive).
InkBox ink_in(int color, int x0, int y0, int x1, int y1) {
  InkBox box;
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      if (!is_ink(surface_at(x, y), color))
        continue;
      ++box.count;
      if (y > box.top)
        box.top = y;
      if (y < box.bottom)
        box.bottom = y;
    }
  }
  return box;
}

InkBox status_ink(int color) {
  return ink_in(color, STATUS_LEFT - 2, -240, 299, -185);
}

std::vector<PlatColor> surface_pixels() {
  std::vector<PlatColor> pixels;
  for (int y = 0; y < SURFACE_HEIGHT; ++y) {
    for (int x = 0; x < SURFACE_WIDTH; ++x)
      pixels.push_back(render_canvas_pixel(surface_dc, x, y));
  }
  return pixels;
}

// The runtime starts once per process.
class DesignerScene : public ::testing::Test {
 protected:
  void SetUp() override {
    if (graphics_window)
      GTEST_SKIP() << "the designer runs once per process; run each case on its own (ctest does)";
  }
};

}  // namespace

TEST_F(DesignerScene, OneScoopShowsOnlyItsUpperHalfAboveTheBrownCone) {
  run_designer();
  EXPECT_EQ(surface_at(0, -100), rgb(BROWN));
  EXPECT_EQ(surface_at(0, -170), rgb(BROWN));
  EXPECT_EQ(surface_at(0, -200), rgb(WHITE));  // below the tip
  // Inside the bottom scoop's lower half, but under the cone.
  EXPECT_EQ(surface_at(45, 10), rgb(BROWN));
  EXPECT_EQ(surface_at(0, 0), rgb(BROWN));
  EXPECT_EQ(surface_at(0, 50), rgb(ICE_BLUE));
  EXPECT_EQ(surface_at(50, 40), rgb(ICE_BLUE));
  EXPECT_EQ(surface_at(0, 81), rgb(ICE_BLUE));
  EXPECT_EQ(surface_at(0, 90), rgb(WHITE));  // no second scoop
  EXPECT_EQ(surface_at(150, 0), rgb(WHITE));
  // The status line of MODE_ADD_TOPPING: blue, at ptsize 18.
  const InkBox blue = status_ink(BLUE);
  EXPECT_GT(blue.count, 100);
  EXPECT_GE(blue.bottom, STATUS_BASE - 1);
  EXPECT_GE(blue.height(), 14);
  EXPECT_LE(blue.height(), 22);
}

TEST_F(DesignerScene, PanelBoxesAndLabels) {
  run_designer();
  // Outlines one pixel wide on the column's edges and the shared edges.
  for (int y : {245, 220, 195, 170, 145, 120, 95, 70}) {
    EXPECT_EQ(surface_at(-240, y), rgb(BLACK)) << y;
    EXPECT_EQ(surface_at(-240, y - 1), rgb(WHITE)) << y;
  }
  EXPECT_EQ(surface_at(-295, 150), rgb(BLACK));
  EXPECT_EQ(surface_at(-185, 150), rgb(BLACK));
  EXPECT_EQ(surface_at(-294, 150), rgb(WHITE));
  EXPECT_EQ(surface_at(-184, 150), rgb(WHITE));
  // Each label in its colour, inside its own box.
  const int label_colors[] = {FOREST_GREEN, RED, FOREST_GREEN, RED, BLUE, BLUE, ORANGE};
  for (int i = 0; i < 7; ++i) {
    const int box_top = 245 - 25 * i;
    const InkBox label = ink_in(label_colors[i], -284, box_top - 24, -186, box_top - 1);
    EXPECT_GT(label.count, 40) << i;
    EXPECT_GE(label.bottom, 228 - 25 * i) << i;  // stands on y = 227 - 25i
    // Clear of the right outline: the column inside it is untouched.
    for (int y = box_top - 24; y <= box_top - 1; ++y)
      EXPECT_EQ(surface_at(-186, y), rgb(WHITE)) << i << " " << y;
  }
}

TEST_F(DesignerScene, ThreeScoopsStackPeachOverTurquoiseOverIceBlue) {
  click_at(150, BUTTON_X, button_y(ADD_SCOOP));
  click_at(250, BUTTON_X, button_y(ADD_SCOOP));
  click_at(350, BUTTON_X, button_y(ADD_SCOOP));  // a fourth one is not possible
  run_designer();
  EXPECT_EQ(surface_at(0, 190), rgb(PEACH));
  EXPECT_EQ(surface_at(0, 145), rgb(PEACH));
  EXPECT_EQ(surface_at(0, 135),
            rgb(TURQUOISE));  // the middle scoop covers the top one's lower part
  EXPECT_EQ(surface_at(0, 90), rgb(TURQUOISE));
  EXPECT_EQ(surface_at(0, 75), rgb(ICE_BLUE));
  EXPECT_EQ(surface_at(0, 30), rgb(ICE_BLUE));
  EXPECT_EQ(surface_at(0, 197), rgb(WHITE));
  EXPECT_EQ(surface_at(0, -100), rgb(BROWN));
}

TEST_F(DesignerScene, AClickOnTheConeDropsARedDiscWithAWhiteM) {
  click_at(150, 20, 50);
  click_at(250, 0, -100);  // on the brown cone: moves nothing
  run_designer();
  EXPECT_EQ(surface_at(20 - 6, 50), rgb(RED));
  EXPECT_EQ(surface_at(20 + 6, 50 - 3), rgb(RED));
  EXPECT_EQ(surface_at(20 - 5, 50 - 4), rgb(RED));
  EXPECT_EQ(surface_at(20, 50 - 6), rgb(RED));
  EXPECT_EQ(surface_at(20, 50 + 9), rgb(ICE_BLUE));
  // The "m" stands on (18, 48): white, or white blended into the red disc,
  // above that row and inside the disc.
  int marked = 0;
  for (int y = 42; y <= 58; ++y) {
    for (int x = 12; x <= 28; ++x) {
      const PlatColor c = surface_at(x, y);
      const bool whitish = channel(c, 0) == 255 && channel(c, 8) >= 96 && c != rgb(ICE_BLUE);
      if (!whitish || (x - 20) * (x - 20) + (y - 50) * (y - 50) >= 49)
        continue;
      ++marked;
      EXPECT_GE(y, 49) << x << ", " << y;
      EXPECT_GE(x, 18) << x << ", " << y;
    }
  }
  EXPECT_GT(marked, 4);
  EXPECT_EQ(surface_at(0, -100), rgb(BROWN));
  // MODE_SELECTED: the status line is red and small now.
  EXPECT_EQ(status_ink(BLUE).count, 0);
  const InkBox red = status_ink(RED);
  EXPECT_GT(red.count, 100);
  EXPECT_LE(red.height(), 13);
  EXPECT_GE(red.height(), 6);
}

TEST_F(DesignerScene, ChangeToppingTurnsTheDiscIntoABarThenABrownTriangle) {
  click_at(150, 20, 50);
  click_at(250, BUTTON_X, button_y(CHANGE_COLOR));    // red -> green
  click_at(350, BUTTON_X, button_y(CHANGE_TOPPING));  // disc -> bar
  PlatColor bar_inside = 0, bar_corner = 0, bar_outside = 0, left_of_disc = 0;
  headless_at(450, [&] {
    bar_inside = surface_at(25, 52);
    bar_corner = surface_at(30, 53);
    bar_outside = surface_at(31, 52);
    left_of_disc = surface_at(14, 50);
  });
  click_at(550, BUTTON_X, button_y(CHANGE_TOPPING));  // bar -> triangle
  run_designer();

  // The bar: 10 wide and 3 high from its lower-left anchor, in its colour.
  EXPECT_EQ(bar_inside, rgb(GREEN));
  EXPECT_EQ(bar_corner, rgb(GREEN));
  EXPECT_EQ(bar_outside, rgb(ICE_BLUE));
  EXPECT_EQ(left_of_disc, rgb(ICE_BLUE));  // the disc is gone

  // The triangle: brown whatever its colour, pointing up, centred on the anchor.
  EXPECT_EQ(surface_at(20, 50), rgb(BROWN));
  EXPECT_EQ(surface_at(15, 44), rgb(BROWN));
  EXPECT_EQ(surface_at(25, 44), rgb(BROWN));
  EXPECT_EQ(surface_at(20, 56), rgb(BROWN));
  EXPECT_EQ(surface_at(20, 59), rgb(ICE_BLUE));
  EXPECT_EQ(surface_at(20, 41), rgb(ICE_BLUE));
  EXPECT_EQ(surface_at(28, 52), rgb(ICE_BLUE));  // where the bar was
}

TEST_F(DesignerScene, StatusLineFollowsTheMode) {
  InkBox adding_blue, adding_red;
  headless_at(150, [&] {
    adding_blue = status_ink(BLUE);
    adding_red = status_ink(RED);
  });
  click_at(250, BUTTON_X, button_y(SELECT_TOPPING));
  run_designer();
  EXPECT_GT(adding_blue.count, 100);
  EXPECT_EQ(adding_red.count, 0);
  // MODE_GRAB: red at ptsize 11, and the taller blue text is painted over.
  const InkBox grab_red = status_ink(RED);
  EXPECT_EQ(status_ink(BLUE).count, 0);
  EXPECT_GT(grab_red.count, 100);
  EXPECT_LT(grab_red.height(), adding_blue.height());
  EXPECT_GE(grab_red.bottom, STATUS_BASE - 1);
}

TEST_F(DesignerScene, ToppingsLeftOffTheScoopsAreStillDrawn) {
  click_at(150, BUTTON_X, button_y(ADD_SCOOP));
  click_at(250, 0, 125);  // on the middle scoop
  click_at(350, BUTTON_X, button_y(REMOVE_SCOOP));
  run_designer();
  EXPECT_EQ(surface_at(-5, 125), rgb(RED));
  EXPECT_EQ(surface_at(0, 117), rgb(RED));
  EXPECT_EQ(surface_at(0, 110), rgb(WHITE));  // the middle scoop is gone
  EXPECT_EQ(surface_at(0, 60), rgb(ICE_BLUE));
}

TEST_F(DesignerScene, ARedrawAfterATickChangesNothing) {
  click_at(150, BUTTON_X, button_y(ADD_SCOOP));
  click_at(250, -10, 120);
  click_at(350, BUTTON_X, button_y(CHANGE_TOPPING));
  click_at(450, 15, 50);  // moves the bar
  std::vector<PlatColor> before;
  headless_at(550, [&] { before = surface_pixels(); });
  headless_at(950);  // ticks at 600 .. 900, each followed by a full redraw
  run_designer();
  ASSERT_EQ(before.size(), static_cast<std::size_t>(SURFACE_WIDTH) * SURFACE_HEIGHT);
  EXPECT_EQ(surface_at(16, 51), rgb(RED));  // there is a scene to compare
  EXPECT_EQ(surface_at(0, 120), rgb(TURQUOISE));
  EXPECT_TRUE(before == surface_pixels());
}
