// Ellipses inscribed in the inclusive box: spans, symmetry, outlines and
// wide pens.
#include <gtest/gtest.h>

#include <vector>

#include "tests/render/raster_helpers.h"

namespace {

// The box the executor makes for a circle of radius r around (cx, cy).
void circle(PlatCanvas* c, int cx, int cy, int r, const PlatPen& pen, const PlatBrush& brush) {
  plat->draw->ellipse(c, cx - r, cy - r, cx + r + 1, cy + r + 1, pen, brush);
}

TEST(RasterEllipse, RadiusZeroIsOnePixel) {
  auto c = make_canvas(20, 20);
  circle(c.get(), 7, 9, 0, pen_of(0), brush_of(kInk));
  EXPECT_EQ(count_of(c, kInk), 1);
  EXPECT_TRUE(inked(c, 7, 9));
}

TEST(RasterEllipse, CircleSpansTwoRPlusOneAndIsSymmetric) {
  for (int r : {1, 2, 3, 7, 8, 57, 100}) {
    auto c = make_canvas(240, 240);
    const int cx = 119, cy = 117;
    circle(c.get(), cx, cy, r, pen_of(0), brush_of(kInk));
    const Extent e = extent_of(c, kInk);
    EXPECT_EQ(e.left, cx - r) << r;
    EXPECT_EQ(e.right, cx + r) << r;
    EXPECT_EQ(e.top, cy - r) << r;
    EXPECT_EQ(e.bottom, cy + r) << r;
    for (int dy = -r - 1; dy <= r + 1; ++dy) {
      for (int dx = -r - 1; dx <= r + 1; ++dx) {
        const bool in = inked(c, cx + dx, cy + dy);
        ASSERT_EQ(in, inked(c, cx - dx, cy + dy)) << r << ": " << dx << "," << dy;
        ASSERT_EQ(in, inked(c, cx + dx, cy - dy)) << r << ": " << dx << "," << dy;
        ASSERT_EQ(in, inked(c, cx + dy, cy + dx)) << r << ": " << dx << "," << dy;
        // Close to the true circle: everything well inside, nothing well outside.
        const int d2 = dx * dx + dy * dy;
        if (d2 <= (r - 1) * (r - 1)) {
          ASSERT_TRUE(in) << r << ": " << dx << "," << dy;
        }
        if (d2 >= (r + 1) * (r + 1)) {
          ASSERT_FALSE(in) << r << ": " << dx << "," << dy;
        }
      }
    }
  }
}

TEST(RasterEllipse, SmallShapes) {
  auto c = make_canvas(30, 30);
  circle(c.get(), 4, 4, 2, pen_of(0), brush_of(kInk));
  EXPECT_EQ(picture(c, 1, 1, 7, 7),
            ".......\n"
            "..###..\n"
            ".#####.\n"
            ".#####.\n"
            ".#####.\n"
            "..###..\n"
            ".......\n");
  // An even box has no middle pixel: the shape is symmetric about its centre line.
  plat->draw->ellipse(c.get(), 10, 10, 14, 14, pen_of(0), brush_of(kInk));
  EXPECT_EQ(picture(c, 10, 10, 13, 13),
            ".##.\n"
            "####\n"
            "####\n"
            ".##.\n");
  plat->draw->ellipse(c.get(), 16, 20, 23, 23, pen_of(1), brush_of(kInk));
  EXPECT_EQ(picture(c, 15, 19, 23, 23),
            ".........\n"
            "..#####..\n"
            ".#######.\n"
            "..#####..\n"
            ".........\n");
}

TEST(RasterEllipse, ThinOutlineIsClosedAndOnePixelWide) {
  auto c = make_canvas(20, 20);
  circle(c.get(), 5, 5, 3, pen_of(1), hollow());
  EXPECT_EQ(picture(c, 1, 1, 9, 9),
            ".........\n"
            "...###...\n"
            "..#...#..\n"
            ".#.....#.\n"
            ".#.....#.\n"
            ".#.....#.\n"
            "..#...#..\n"
            "...###...\n"
            ".........\n");

  // For assorted boxes: the outline keeps the inside sealed off from the
  // outside, and pen plus brush cover exactly the pixels of the solid shape.
  const int boxes[][4] = {{10, 10, 70, 50}, {5, 20, 80, 33}, {30, 5, 43, 75}, {20, 20, 60, 60}};
  for (const auto& b : boxes) {
    auto outline = make_canvas(90, 90), solid = make_canvas(90, 90);
    plat->draw->ellipse(outline.get(), b[0], b[1], b[2], b[3], pen_of(0), brush_of(kFill));
    plat->draw->ellipse(solid.get(), b[0], b[1], b[2], b[3], pen_of(0), brush_of(kInk));
    for (int y = 0; y < 90; ++y) {
      for (int x = 0; x < 90; ++x) {
        ASSERT_EQ(at(outline, x, y) != kBack, inked(solid, x, y)) << x << "," << y;
      }
    }
    // Flood the brush area through 4-neighbours: it must not reach the edge.
    std::vector<std::pair<int, int>> todo{{(b[0] + b[2]) / 2, (b[1] + b[3]) / 2}};
    ASSERT_EQ(at(outline, todo[0].first, todo[0].second), kFill);
    while (!todo.empty()) {
      auto [x, y] = todo.back();
      todo.pop_back();
      if (at(outline, x, y) == kInk || at(outline, x, y) == kBack + 1)
        continue;
      ASSERT_EQ(at(outline, x, y), kFill) << "leak at " << x << "," << y;
      plat->draw->set_pixel(outline.get(), x, y, kBack + 1);
      todo.insert(todo.end(), {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}});
    }
  }
}

// The pen follows the ellipse through the centres of the box's outermost
// pixels and lights the pixels whose diamond that path crosses, as a thin line
// does; the brush fills the pixels whose diamond lies wholly inside.
TEST(RasterEllipse, ThePenFollowsThePathThroughTheOuterPixelCentres) {
  struct Case {
    int left, top, right, bottom;  // the box, right and bottom excluded
    bool hollow;
    const char* picture;  // the box with a margin of one pixel
  };
  const Case cases[] = {
      {1, 1, 4, 4, true,  // radius 1: the corners lie off the path
       ".....\n"
       "..#..\n"
       ".#.#.\n"
       "..#..\n"
       ".....\n"},
      {1, 1, 10, 10, false,  // radius 4: three pixels on the top row, not five
       "...........\n"
       "....###....\n"
       "..##ooo##..\n"
       "..#ooooo#..\n"
       ".#ooooooo#.\n"
       ".#ooooooo#.\n"
       ".#ooooooo#.\n"
       "..#ooooo#..\n"
       "..##ooo##..\n"
       "....###....\n"
       "...........\n"},
      {1, 1, 12, 6, true,
       ".............\n"
       "...#######...\n"
       "..#.......#..\n"
       ".#.........#.\n"
       "..#.......#..\n"
       "...#######...\n"
       ".............\n"},
  };
  for (const Case& k : cases) {
    auto c = make_canvas(20, 20);
    plat->draw->ellipse(c.get(), k.left, k.top, k.right, k.bottom, pen_of(1),
                        k.hollow ? hollow() : brush_of(kFill));
    EXPECT_EQ(picture(c, k.left - 1, k.top - 1, k.right, k.bottom), k.picture)
        << k.right - k.left << " x " << k.bottom - k.top;
  }
}

// A 40-pixel circle's path passes exactly through points halfway between two
// pixels: of two above each other the upper one is lit, of two side by side
// the left one, so the outline stays closed and is not symmetric.
TEST(RasterEllipse, WhereThePathPassesBetweenTwoPixelsTheUpperOrLeftIsLit) {
  auto c = make_canvas(90, 90);
  plat->draw->ellipse(c.get(), 20, 20, 60, 60, pen_of(1), brush_of(kFill));
  struct Pair {
    int x, y;         // the lit pixel
    int ox, oy;       // its partner across the path
    PlatColor other;  // what the partner holds
  };
  const Pair pairs[] = {
      {32, 21, 32, 22, kFill},  // top: the path between rows 21 and 22
      {32, 57, 32, 58, kBack},  // bottom: between rows 57 and 58
      {21, 32, 22, 32, kFill},  // left: between columns 21 and 22
      {57, 32, 58, 32, kBack},  // right: between columns 57 and 58
  };
  for (const Pair& p : pairs) {
    EXPECT_TRUE(inked(c, p.x, p.y)) << p.x << "," << p.y;
    EXPECT_EQ(at(c, p.ox, p.oy), p.other) << p.ox << "," << p.oy;
  }
}

TEST(RasterEllipse, WithoutPenTheBrushShapeIsOnePixelSmaller) {
  auto c = make_canvas(20, 20);
  plat->draw->ellipse(c.get(), 2, 2, 8, 8, no_pen(), brush_of(kFill));
  // The shape of the 5 x 5 box from (2, 2): a radius-2 disc.
  auto expect = make_canvas(20, 20);
  circle(expect.get(), 4, 4, 2, pen_of(0, kFill), brush_of(kFill));
  EXPECT_EQ(picture(c, 0, 0, 9, 9), picture(expect, 0, 0, 9, 9));
}

TEST(RasterEllipse, EmptyAndReversedBoxes) {
  auto c = make_canvas(20, 20);
  plat->draw->ellipse(c.get(), 5, 5, 5, 12, pen_of(0), brush_of(kInk));
  plat->draw->ellipse(c.get(), 5, 5, 12, 5, pen_of(4), brush_of(kInk));
  EXPECT_EQ(count_of(c, kBack), 400);
  auto ordered = make_canvas(20, 20), reversed = make_canvas(20, 20);
  plat->draw->ellipse(ordered.get(), 2, 3, 17, 12, pen_of(1), brush_of(kFill));
  plat->draw->ellipse(reversed.get(), 17, 12, 2, 3, pen_of(1), brush_of(kFill));
  EXPECT_EQ(picture(ordered, 0, 0, 19, 19), picture(reversed, 0, 0, 19, 19));
}

// An odd width w puts (w-1)/2 pixels on both sides of the thin outline.
TEST(RasterEllipse, OddWidePenIsCentredOnTheOutline) {
  auto c = make_canvas(100, 100);
  circle(c.get(), 50, 50, 20, pen_of(5), hollow());
  for (int d = -22; d <= 22; ++d) {
    // Along the axes the band covers distances 18..22 from the centre.
    const bool band = d <= -18 || d >= 18;
    EXPECT_EQ(inked(c, 50 + d, 50), band) << d;
    EXPECT_EQ(inked(c, 50, 50 + d), band) << d;
  }
  EXPECT_FALSE(inked(c, 50, 27));
  EXPECT_FALSE(inked(c, 50, 73));
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 100; ++x) {
      ASSERT_EQ(inked(c, x, y), inked(c, 100 - x, y)) << x << "," << y;
      ASSERT_EQ(inked(c, x, y), inked(c, y, x)) << x << "," << y;
      const int d2 = (x - 50) * (x - 50) + (y - 50) * (y - 50);
      if (d2 <= 17 * 17 || d2 >= 23 * 23) {
        ASSERT_FALSE(inked(c, x, y)) << x << "," << y;
      }
      if (d2 >= 19 * 19 && d2 <= 21 * 21) {
        ASSERT_TRUE(inked(c, x, y)) << x << "," << y;
      }
    }
  }
}

// An even width is centred half a pixel up and to the left, as for rectangles:
// two pixels outside the top of the outline and two inside its bottom.
TEST(RasterEllipse, EvenWidePenShiftsHalfAPixelUpLeft) {
  auto c = make_canvas(100, 100);
  circle(c.get(), 50, 50, 20, pen_of(4), hollow());
  for (int y = 25; y <= 75; ++y) {
    const bool band = (y >= 28 && y <= 31) || (y >= 68 && y <= 71);
    EXPECT_EQ(inked(c, 50, y), band) << y;
  }
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 100; ++x) {
      ASSERT_EQ(inked(c, x, y), inked(c, 99 - x, 99 - y)) << x << "," << y;
    }
  }
  EXPECT_EQ(at(c, 50, 50), kBack);
}

TEST(RasterEllipse, WideBandOverTheBrush) {
  auto c = make_canvas(60, 60);
  circle(c.get(), 30, 30, 10, pen_of(3), brush_of(kFill));
  EXPECT_TRUE(inked(c, 30, 19));
  EXPECT_TRUE(inked(c, 30, 21));
  EXPECT_EQ(at(c, 30, 22), kFill);
  EXPECT_EQ(at(c, 30, 30), kFill);
  EXPECT_EQ(at(c, 30, 18), kBack);
  // A band wider than the shape covers it whole.
  auto small = make_canvas(20, 20);
  circle(small.get(), 10, 10, 1, pen_of(6), brush_of(kFill));
  EXPECT_EQ(count_of(small, kFill), 0);
  EXPECT_TRUE(inked(small, 10, 10));
}

}  // namespace
