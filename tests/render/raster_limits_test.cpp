// Coordinates, radii and widths far beyond the canvas: clipped, exact where
// the shape crosses the canvas, and never looping over the off-canvas part.
#include <gtest/gtest.h>

#include <cstdint>

#include "tests/render/raster_helpers.h"

namespace {

constexpr std::int64_t kBig = (std::int64_t{1} << 31) + 300;  // past any 32-bit value
constexpr int W = 601, H = 540;

// Every pixel of row y in [x0, x1] has the colour.
bool row_is(const CanvasPtr& c, int y, int x0, int x1, PlatColor color) {
  for (int x = x0; x <= x1; ++x) {
    if (at(c, x, y) != color)
      return false;
  }
  return true;
}

TEST(RasterLimits, NullAndEmptyCanvases) {
  const PlatPoint tri[3] = {{0, 0}, {10, 0}, {0, 10}};
  plat->draw->rectangle(nullptr, 0, 0, 10, 10, pen_of(0), brush_of(kInk));
  plat->draw->ellipse(nullptr, 0, 0, 10, 10, pen_of(3), brush_of(kInk));
  plat->draw->polygon(nullptr, tri, 3, pen_of(0), brush_of(kInk));
  plat->draw->line(nullptr, {0, 0}, {10, 10}, pen_of(0));
  auto empty = make_canvas(0, 0);
  plat->draw->rectangle(empty.get(), 0, 0, 10, 10, pen_of(0), brush_of(kInk));
  plat->draw->ellipse(empty.get(), 0, 0, 10, 10, pen_of(3), brush_of(kInk));
  plat->draw->polygon(empty.get(), tri, 3, pen_of(4), brush_of(kInk));
  plat->draw->line(empty.get(), {0, 0}, {10, 10}, pen_of(9));
  EXPECT_TRUE(empty->pixels.empty());
}

TEST(RasterLimits, OwnerIsToldOnlyWhenPixelsChange) {
  auto c = make_canvas(50, 50);
  int calls = 0;
  c->changed = [](void* n) { ++*static_cast<int*>(n); };
  c->changed_context = &calls;
  plat->draw->ellipse(c.get(), 100, 100, 120, 120, pen_of(0), brush_of(kInk));
  plat->draw->line(c.get(), {-kBig, -5}, {kBig, -5}, pen_of(1));
  EXPECT_EQ(calls, 0);
  plat->draw->ellipse(c.get(), 10, 10, 20, 20, pen_of(0), brush_of(kInk));
  EXPECT_EQ(calls, 1);
  const PlatPoint tri[3] = {{1, 1}, {9, 1}, {1, 9}};
  plat->draw->polygon(c.get(), tri, 3, pen_of(0), brush_of(kInk));
  plat->draw->rectangle(c.get(), 30, 30, 40, 40, pen_of(2), hollow());
  plat->draw->line(c.get(), {0, 45}, {49, 45}, pen_of(0));
  EXPECT_EQ(calls, 4);
}

TEST(RasterLimits, HugeRectangles) {
  auto c = make_canvas(W, H);
  plat->draw->rectangle(c.get(), -kBig, -kBig, kBig, kBig, pen_of(1), hollow());
  EXPECT_EQ(count_of(c, kBack), W * H);
  plat->draw->rectangle(c.get(), -kBig, -kBig, kBig, kBig, pen_of(0), brush_of(kFill));
  EXPECT_EQ(count_of(c, kFill), W * H);
  // A wide frame whose left edge alone crosses the canvas.
  auto f = make_canvas(W, H);
  plat->draw->rectangle(f.get(), 100, -kBig, kBig, kBig, pen_of(3), hollow());
  for (int y = 0; y < H; ++y) {
    ASSERT_TRUE(row_is(f, y, 99, 101, kInk)) << y;
    ASSERT_EQ(at(f, 98, y), kBack) << y;
    ASSERT_EQ(at(f, 102, y), kBack) << y;
  }
}

TEST(RasterLimits, HugeCircles) {
  // Radius two billion around the canvas: everything.
  const std::int64_t r = 2000000000;
  auto all = make_canvas(W, H);
  plat->draw->ellipse(all.get(), 300 - r, 250 - r, 300 + r + 1, 250 + r + 1, pen_of(0),
                      brush_of(kInk));
  EXPECT_EQ(count_of(all, kInk), W * H);
  auto ring = make_canvas(W, H);
  plat->draw->ellipse(ring.get(), 300 - r, 250 - r, 300 + r + 1, 250 + r + 1, pen_of(1), hollow());
  EXPECT_EQ(count_of(ring, kBack), W * H);

  // Its top touching row 100: the whole row is in (the half-width there is
  // sqrt(r) pixels), the row above is not.
  auto top = make_canvas(W, H);
  plat->draw->ellipse(top.get(), 300 - r, 100, 300 + r + 1, 100 + 2 * r + 1, pen_of(1), hollow());
  EXPECT_TRUE(row_is(top, 100, 0, W - 1, kInk));
  EXPECT_TRUE(row_is(top, 99, 0, W - 1, kBack));
  EXPECT_TRUE(row_is(top, 101, 0, W - 1, kBack));

  // Radius 2^31 + 300 from far left, its right end on column 300: across the
  // canvas the edge bends by far less than a pixel, so it stays on column 300.
  auto side = make_canvas(W, H);
  const std::int64_t cx = 300 - kBig;
  plat->draw->ellipse(side.get(), cx - kBig, 250 - kBig, cx + kBig + 1, 250 + kBig + 1, pen_of(0),
                      brush_of(kInk));
  for (int y = 0; y < H; ++y) {
    ASSERT_TRUE(row_is(side, y, 0, 300, kInk)) << y;
    ASSERT_TRUE(row_is(side, y, 301, W - 1, kBack)) << y;
  }

  // A wide, flat ellipse 2^32 pixels across and 201 rows high.
  auto flat = make_canvas(W, H);
  plat->draw->ellipse(flat.get(), -kBig, 100, kBig, 301, pen_of(0), brush_of(kInk));
  EXPECT_TRUE(row_is(flat, 99, 0, W - 1, kBack));
  for (int y = 100; y <= 300; ++y)
    ASSERT_TRUE(row_is(flat, y, 0, W - 1, kInk)) << y;
  EXPECT_TRUE(row_is(flat, 301, 0, W - 1, kBack));

  // A band of width two billion along the same circle reaches a billion
  // pixels inward: the canvas, far inside the circle, is untouched.
  auto wide = make_canvas(W, H);
  plat->draw->ellipse(wide.get(), 300 - 2 * r, 250 - 2 * r, 300 + 2 * r + 1, 250 + 2 * r + 1,
                      pen_of(r), hollow());
  EXPECT_EQ(count_of(wide, kBack), W * H);
}

TEST(RasterLimits, HugeLines) {
  auto h = make_canvas(W, H);
  plat->draw->line(h.get(), {-kBig, 100}, {kBig, 100}, pen_of(0));
  EXPECT_TRUE(row_is(h, 100, 0, W - 1, kInk));
  EXPECT_EQ(count_of(h, kInk), W);

  // Slope 1/2 from two billion pixels away: on column x the row is x / 2,
  // rounded down where the line passes between two rows.
  auto s = make_canvas(W, H);
  plat->draw->line(s.get(), {-2000000000, -1000000000}, {2000000000, 1000000000}, pen_of(0));
  for (int x = 0; x < W; ++x)
    ASSERT_TRUE(inked(s, x, x / 2)) << x;
  EXPECT_EQ(count_of(s, kInk), W);

  // The widest pen: radius 2^30 - 0.5, so a line 2^30 - 1 pixels to the left
  // of column 100 reaches exactly to it.
  auto w = make_canvas(W, H);
  const std::int64_t lx = 100 - ((std::int64_t{1} << 30) - 1);
  plat->draw->line(w.get(), {lx, -kBig}, {lx, kBig}, pen_of(2147483647));
  for (int y = 0; y < H; ++y) {
    ASSERT_TRUE(row_is(w, y, 0, 100, kInk)) << y;
    ASSERT_EQ(at(w, 101, y), kBack) << y;
  }
  // Far away, nothing.
  auto far = make_canvas(W, H);
  plat->draw->line(far.get(), {-kBig, -kBig}, {-kBig, -kBig + 1}, pen_of(2147483647));
  plat->draw->line(far.get(), {kBig, kBig}, {kBig, kBig}, pen_of(2147483647));
  EXPECT_EQ(count_of(far, kBack), W * H);
}

TEST(RasterLimits, HugePolygons) {
  // Everything on or below the diagonal y = x.
  const PlatPoint tri[3] = {{-kBig, -kBig}, {kBig, kBig}, {-kBig, kBig}};
  auto c = make_canvas(W, H);
  plat->draw->polygon(c.get(), tri, 3, pen_of(0), brush_of(kInk));
  for (int y : {0, 1, 100, 299, 539}) {
    ASSERT_TRUE(row_is(c, y, 0, y, kInk)) << y;
    ASSERT_TRUE(row_is(c, y, y + 1, W - 1, kBack)) << y;
  }
  // Wide outline of the same triangle: a band of width 5 along the diagonal.
  auto b = make_canvas(W, H);
  plat->draw->polygon(b.get(), tri, 3, pen_of(5), hollow());
  for (int y = 10; y < H; y += 37) {
    for (int x = y - 5; x <= y + 5; ++x) {
      // Perpendicular distance |x - y| / sqrt 2 within 2.5: |x - y| <= 3.
      ASSERT_EQ(inked(b, x, y), x - y >= -3 && x - y <= 3) << x << "," << y;
    }
  }
}

}  // namespace
