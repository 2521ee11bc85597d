// Lines: thin lines stop one pixel short of their end point; wide ones are
// bands centred on the line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <utility>

#include "tests/render/raster_helpers.h"

namespace {

using Pixels = std::set<std::pair<int, int>>;

Pixels inked_pixels(const CanvasPtr& c) {
  Pixels out;
  for (int y = 0; y < c->height; ++y) {
    for (int x = 0; x < c->width; ++x) {
      if (inked(c, x, y))
        out.insert({x, y});
    }
  }
  return out;
}

Pixels thin_line(int x0, int y0, int x1, int y1, int w = 40, int h = 40) {
  auto c = make_canvas(w, h);
  plat->draw->line(c.get(), {x0, y0}, {x1, y1}, pen_of(0));
  return inked_pixels(c);
}

TEST(RasterLine, EndPointIsNotDrawn) {
  EXPECT_EQ(thin_line(10, 10, 14, 10), (Pixels{{10, 10}, {11, 10}, {12, 10}, {13, 10}}));
  EXPECT_EQ(thin_line(14, 10, 10, 10), (Pixels{{14, 10}, {13, 10}, {12, 10}, {11, 10}}));
  EXPECT_EQ(thin_line(5, 20, 5, 17), (Pixels{{5, 20}, {5, 19}, {5, 18}}));
  EXPECT_EQ(thin_line(10, 10, 13, 13), (Pixels{{10, 10}, {11, 11}, {12, 12}}));
  EXPECT_EQ(thin_line(13, 10, 10, 13), (Pixels{{13, 10}, {12, 11}, {11, 12}}));
  // Steep: one pixel per row, the column nearest the true line.
  EXPECT_EQ(thin_line(10, 10, 12, 16),
            (Pixels{{10, 10}, {10, 11}, {11, 12}, {11, 13}, {11, 14}, {12, 15}}));
  EXPECT_TRUE(thin_line(7, 7, 7, 7).empty());
  EXPECT_EQ(thin_line(7, 7, 8, 7), (Pixels{{7, 7}}));
}

// When the true line passes midway between two pixels, the smaller
// coordinate wins in both directions.
TEST(RasterLine, TiesGoToTheSmallerCoordinate) {
  EXPECT_EQ(thin_line(0, 0, 4, 2), (Pixels{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));
  EXPECT_EQ(thin_line(4, 2, 0, 0), (Pixels{{4, 2}, {3, 1}, {2, 1}, {1, 0}}));
  EXPECT_EQ(thin_line(0, 4, 2, 0), (Pixels{{0, 4}, {0, 3}, {1, 2}, {1, 1}}));
}

// Every line from the middle of a grid to each point around it: one pixel per
// major step, each within half a pixel of the true line, and the same pixels
// as the reversed line apart from the ends.
TEST(RasterLine, LinesAreExactAndReversible) {
  const int cx = 20, cy = 20;
  for (int ey = 4; ey <= 36; ++ey) {
    for (int ex = 4; ex <= 36; ++ex) {
      Pixels forward = thin_line(cx, cy, ex, ey), backward = thin_line(ex, ey, cx, cy);
      const int dx = ex - cx, dy = ey - cy;
      const int steps = std::max(std::abs(dx), std::abs(dy));
      ASSERT_EQ(static_cast<int>(forward.size()), steps) << ex << "," << ey;
      for (auto [x, y] : forward) {
        // Distance along the minor axis, times 2 * steps, stays within steps.
        const int i = std::abs(dx) >= std::abs(dy) ? std::abs(x - cx) : std::abs(y - cy);
        const int off = std::abs(dx) >= std::abs(dy) ? 2 * (steps * (y - cy) - i * dy)
                                                     : 2 * (steps * (x - cx) - i * dx);
        ASSERT_LE(std::abs(off), steps) << ex << "," << ey << " pixel " << x << "," << y;
      }
      if (steps == 0)
        continue;
      forward.insert({ex, ey});
      backward.insert({cx, cy});
      ASSERT_EQ(forward, backward) << ex << "," << ey;
    }
  }
}

TEST(RasterLine, OddWideLineHasRoundCapsAndCentredBand) {
  auto c = make_canvas(40, 40);
  plat->draw->line(c.get(), {10, 20}, {30, 20}, pen_of(5));
  const Extent e = extent_of(c, kInk);
  EXPECT_EQ(e.top, 18);
  EXPECT_EQ(e.bottom, 22);
  EXPECT_EQ(e.left, 8);
  EXPECT_EQ(e.right, 32);
  // The cap is round: at two rows from the line only 1.5 pixels reach past the end.
  EXPECT_FALSE(inked(c, 8, 18));
  EXPECT_TRUE(inked(c, 9, 18));
  EXPECT_TRUE(inked(c, 31, 22));
  EXPECT_FALSE(inked(c, 32, 22));

  // A diagonal band is symmetric about its line.
  auto d = make_canvas(40, 40);
  plat->draw->line(d.get(), {10, 10}, {30, 30}, pen_of(3));
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x)
      ASSERT_EQ(inked(d, x, y), inked(d, y, x)) << x << "," << y;
  }
  EXPECT_TRUE(inked(d, 21, 19));   // 1.41 from the line
  EXPECT_FALSE(inked(d, 22, 18));  // 2.83 from the line
}

// An even width is centred on the point half a pixel up and left of the line.
TEST(RasterLine, EvenWideLineIsCentredHalfAPixelUpLeft) {
  auto c = make_canvas(40, 40);
  plat->draw->line(c.get(), {10, 20}, {30, 20}, pen_of(4));
  const Extent e = extent_of(c, kInk);
  EXPECT_EQ(e.top, 18);
  EXPECT_EQ(e.bottom, 21);
  EXPECT_EQ(e.left, 8);
  EXPECT_EQ(e.right, 31);
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) {
      ASSERT_EQ(inked(c, x, y), inked(c, 39 - x, 39 - y)) << x << "," << y;
    }
  }
  EXPECT_TRUE(inked(c, 9, 18));
  EXPECT_FALSE(inked(c, 8, 18));
  // Width 2 on a vertical line: the column of the line and the one to its left.
  auto v = make_canvas(20, 20);
  plat->draw->line(v.get(), {10, 2}, {10, 12}, pen_of(2));
  EXPECT_TRUE(inked(v, 9, 6));
  EXPECT_TRUE(inked(v, 10, 6));
  EXPECT_FALSE(inked(v, 8, 6));
  EXPECT_FALSE(inked(v, 11, 6));
}

TEST(RasterLine, NoPenDrawsNothing) {
  auto c = make_canvas(20, 20);
  plat->draw->line(c.get(), {1, 1}, {15, 9}, no_pen());
  EXPECT_EQ(count_of(c, kBack), 400);
}

}  // namespace
