// Polygons: alternate fill of the pixel centres inside, a thin outline along
// every edge, wide outlines centred on the edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "tests/render/raster_helpers.h"

namespace {

// The designer's cone on the surface: apex (297, 423), top corners (237, 223)
// and (357, 223).
const PlatPoint kCone[3] = {{297, 423}, {237, 223}, {357, 223}};

TEST(RasterPolygon, FilledConeIsOneSolidTriangle) {
  auto c = make_canvas(601, 540);
  plat->draw->polygon(c.get(), kCone, 3, pen_of(0), brush_of(kInk));
  EXPECT_EQ(count_of(c, kInk) + count_of(c, kBack), 601 * 540);
  const Extent e = extent_of(c, kInk);
  EXPECT_EQ(e.left, 237);
  EXPECT_EQ(e.right, 357);
  EXPECT_EQ(e.top, 223);
  EXPECT_EQ(e.bottom, 423);
  for (int x = 237; x <= 357; ++x)
    ASSERT_TRUE(inked(c, x, 223)) << x;
  EXPECT_FALSE(inked(c, 296, 423));
  EXPECT_TRUE(inked(c, 297, 423));
  EXPECT_FALSE(inked(c, 298, 423));
  // Each row is one run holding every pixel whose centre is inside and none
  // more than a pixel outside. Row y's true edges are 297 -+ 0.3 * (423 - y).
  for (int y = 224; y < 423; ++y) {
    int first = -1, last = -1;
    for (int x = 0; x < 601; ++x) {
      if (!inked(c, x, y))
        continue;
      if (first < 0)
        first = x;
      ASSERT_EQ(last, first < x ? x - 1 : -1) << "gap in row " << y;
      last = x;
    }
    // 10 * x against 10 * 297 -+ 3 * (423 - y), in tenths of a pixel.
    const int half10 = 3 * (423 - y);
    ASSERT_LE(10 * first, 2970 - half10 + 10) << y;
    ASSERT_GE(10 * first, 2970 - half10 - 10) << y;
    ASSERT_LE(10 * last, 2970 + half10 + 10) << y;
    ASSERT_GE(10 * last, 2970 + half10 - 10) << y;
    for (int x = first; x <= last; ++x)
      ASSERT_TRUE(inked(c, x, y));
  }
}

TEST(RasterPolygon, OutlineOnlyCoversEveryVertexAndLeavesTheInside) {
  auto c = make_canvas(601, 540);
  plat->draw->polygon(c.get(), kCone, 3, pen_of(1), hollow());
  for (const PlatPoint& p : kCone)
    EXPECT_TRUE(inked(c, p.x, p.y)) << p.x << "," << p.y;
  EXPECT_EQ(at(c, 297, 300), kBack);
  // The full top edge, then one pixel on each slanted side per row until they
  // meet next to the apex.
  for (int x = 237; x <= 357; ++x)
    ASSERT_TRUE(inked(c, x, 223)) << x;
  for (int y = 224; y <= 423; ++y) {
    int n = 0, left = 601, right = -1;
    for (int x = 0; x < 601; ++x) {
      if (!inked(c, x, y))
        continue;
      ++n;
      left = std::min(left, x);
      right = std::max(right, x);
    }
    if (y >= 422) {
      EXPECT_EQ(n, 1) << y;
      EXPECT_EQ(left, 297) << y;
    } else {
      EXPECT_EQ(n, 2) << y;
      EXPECT_LT(left, 297) << y;
      EXPECT_GT(right, 297) << y;
    }
  }
}

TEST(RasterPolygon, FillExcludesRightAndBottomEdgesUntilThePenCoversThem) {
  const PlatPoint square[4] = {{10, 10}, {20, 10}, {20, 20}, {10, 20}};
  auto fill_only = make_canvas(30, 30);
  plat->draw->polygon(fill_only.get(), square, 4, no_pen(), brush_of(kFill));
  Extent e = extent_of(fill_only, kFill);
  EXPECT_EQ(e.left, 10);
  EXPECT_EQ(e.right, 19);
  EXPECT_EQ(e.top, 10);
  EXPECT_EQ(e.bottom, 19);
  EXPECT_EQ(count_of(fill_only, kFill), 100);

  auto both = make_canvas(30, 30);
  plat->draw->polygon(both.get(), square, 4, pen_of(1), brush_of(kFill));
  EXPECT_EQ(count_of(both, kInk), 40);
  EXPECT_EQ(count_of(both, kFill), 81);
  EXPECT_EQ(at(both, 15, 15), kFill);
  EXPECT_TRUE(inked(both, 20, 20));
}

TEST(RasterPolygon, AlternateFillLeavesTheMiddleOfAStarEmpty) {
  const PlatPoint star[5] = {{50, 10}, {74, 82}, {12, 38}, {88, 38}, {26, 82}};
  auto c = make_canvas(100, 100);
  plat->draw->polygon(c.get(), star, 5, no_pen(), brush_of(kFill));
  EXPECT_EQ(at(c, 50, 50), kBack);
  EXPECT_EQ(at(c, 50, 20), kFill);
  EXPECT_EQ(at(c, 20, 40), kFill);
  EXPECT_EQ(at(c, 30, 76), kFill);
  EXPECT_EQ(at(c, 50, 80), kBack);
}

TEST(RasterPolygon, DegenerateInputs) {
  auto c = make_canvas(20, 20);
  const PlatPoint one[1] = {{5, 5}};
  plat->draw->polygon(c.get(), one, 1, pen_of(0), brush_of(kInk));
  plat->draw->polygon(c.get(), nullptr, 3, pen_of(0), brush_of(kInk));
  EXPECT_EQ(count_of(c, kBack), 400);
  // Two points: no area, the outline goes there and back.
  const PlatPoint two[2] = {{3, 4}, {9, 4}};
  plat->draw->polygon(c.get(), two, 2, pen_of(0), brush_of(kFill));
  EXPECT_EQ(count_of(c, kInk), 7);
}

TEST(RasterPolygon, WideOutlineIsCentredOnTheEdges) {
  const PlatPoint square[4] = {{10, 10}, {29, 10}, {29, 29}, {10, 29}};
  auto poly = make_canvas(40, 40), rect = make_canvas(40, 40);
  plat->draw->polygon(poly.get(), square, 4, pen_of(3), hollow());
  plat->draw->rectangle(rect.get(), 10, 10, 30, 30, pen_of(3), hollow());
  EXPECT_EQ(picture(poly, 0, 0, 39, 39), picture(rect, 0, 0, 39, 39));

  const PlatPoint tri[3] = {{20, 5}, {35, 35}, {5, 35}};
  auto t = make_canvas(40, 40);
  plat->draw->polygon(t.get(), tri, 3, pen_of(5), hollow());
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x <= 20; ++x)
      ASSERT_EQ(inked(t, x, y), inked(t, 40 - x, y)) << x << "," << y;
  }
  for (int y = 33; y <= 37; ++y)
    EXPECT_TRUE(inked(t, 20, y)) << y;
  EXPECT_FALSE(inked(t, 20, 32));
  EXPECT_FALSE(inked(t, 20, 38));
  EXPECT_TRUE(inked(t, 20, 3));
  EXPECT_FALSE(inked(t, 20, 2));
}

}  // namespace
