// Filled ellipses seen in part: clipping to the canvas must not change the
// shape. The same box drawn on a canvas and again moved by some pixels must
// ink the same pixels wherever both canvases see them, for boxes that cross
// the canvas's edges and for large ones whose centre lies far outside. And a
// filled ellipse in one colour (drawn row by row from the row before) covers
// exactly what its outline and its inside in two colours cover.
#include <gtest/gtest.h>

#include <string>

#include "tests/render/raster_helpers.h"

namespace {

constexpr int W = 48, H = 40;

struct Box {
  std::int64_t l, t, r, b;
};

// Draws the box (with the thin pen of the brush's colour, or with no pen) on
// one canvas and moved by (dx, dy) on another, and compares what both see.
void check_moved(const Box& box, std::int64_t dx, std::int64_t dy, const std::string& what) {
  for (bool pen : {true, false}) {
    auto here = make_canvas(W, H);
    auto moved = make_canvas(W, H);
    const PlatPen p = pen ? pen_of(0, kInk) : no_pen();
    plat->draw->ellipse(here.get(), box.l, box.t, box.r, box.b, p, brush_of(kInk));
    plat->draw->ellipse(moved.get(), box.l + dx, box.t + dy, box.r + dx, box.b + dy, p,
                        brush_of(kInk));
    int inked_here = 0;
    for (int q = 0; q < H; ++q) {
      for (int x = 0; x < W; ++x) {
        inked_here += inked(here, x, q);
        const std::int64_t mx = x + dx, my = q + dy;
        if (mx < 0 || my < 0 || mx >= W || my >= H)
          continue;
        ASSERT_EQ(inked(here, x, q), inked(moved, static_cast<int>(mx), static_cast<int>(my)))
            << what << (pen ? " with pen" : " without pen") << " at " << x << "," << q
            << " moved by " << dx << "," << dy;
      }
    }
    // Every box here reaches the first canvas (a 1 x 1 box without its pen
    // is empty).
    if (pen || (box.r - box.l > 1 && box.b - box.t > 1)) {
      EXPECT_GT(inked_here, 0) << what;
    }
  }
}

TEST(RasterEllipseRule, SmallBoxesAcrossEveryEdge) {
  for (int w = 1; w <= 19; ++w) {
    for (int h = 1; h <= 19; ++h) {
      const std::string what = std::to_string(w) + "x" + std::to_string(h);
      const Box inside{14, 10, 14 + w, 10 + h};
      // Moved so that the left, top, right and bottom edges cross the canvas.
      check_moved(inside, -14 - w / 2, 0, what + " across the left edge");
      check_moved(inside, 0, -10 - h / 2, what + " across the top edge");
      check_moved(inside, W - 14 - w / 2, 0, what + " across the right edge");
      check_moved(inside, 0, H - 10 - h / 2, what + " across the bottom edge");
    }
  }
}

// The pixels the box covers drawn in one colour, and drawn with the pen in
// another colour than the brush, are the same.
void check_one_colour(const Box& box, const std::string& what) {
  auto one = make_canvas(W, H);
  auto two = make_canvas(W, H);
  plat->draw->ellipse(one.get(), box.l, box.t, box.r, box.b, pen_of(0, kInk), brush_of(kInk));
  plat->draw->ellipse(two.get(), box.l, box.t, box.r, box.b, pen_of(0, kInk), brush_of(kFill));
  for (int q = 0; q < H; ++q) {
    for (int x = 0; x < W; ++x) {
      ASSERT_EQ(inked(one, x, q), at(two, x, q) != kBack) << what << " at " << x << "," << q;
    }
  }
}

TEST(RasterEllipseRule, OneColourCoversWhatOutlineAndInsideCover) {
  for (int w = 1; w <= 40; ++w) {
    for (int h = 1; h <= 34; h += 3)
      check_one_colour({3, 2, 3 + w, 2 + h}, std::to_string(w) + "x" + std::to_string(h));
  }
  check_one_colour({-2000, -1000, 2050, 35}, "centre far above");
  check_one_colour({-60000, -40000, 60049, 40039}, "axes beyond 2^15");
  check_one_colour({-10, -300, 30, 38}, "tall, its bottom on the canvas");
}

TEST(RasterEllipseRule, LargeEllipsesSeenInPart) {
  struct Case {
    Box box;
    const char* what;
  };
  const Case cases[] = {
      {{-2000, -1000, 2050, 35}, "centre far above, bottom edge on the canvas"},
      {{-2000, 10, 2050, 4000}, "centre far below, top edge on the canvas"},
      {{-3000, -20, 30, 60}, "centre far left"},
      {{20, -20, 5000, 60}, "centre far right"},
      {{-100, -100, 150, 140}, "covering the canvas"},
      {{-60000, -40000, 60049, 40039}, "axes beyond 2^15"},
      {{-70000, -5, 70000, 37}, "one long axis"},
  };
  for (const Case& c : cases) {
    for (const auto& [dx, dy] : {std::pair{7, 5}, std::pair{-9, 3}, std::pair{13, -11}})
      check_moved(c.box, dx, dy, c.what);
  }
}

}  // namespace
