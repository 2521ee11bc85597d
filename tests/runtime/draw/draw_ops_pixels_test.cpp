// The public operations on the surface: the wipe, and circles drawn through
// their bounding boxes.
#include <gtest/gtest.h>

#include <climits>

#include "runtime/velko.h"
#include "tests/runtime/draw/draw_test_util.h"

TEST(DrawOpsPixels, WipeIsWhiteInsideABlackOnePixelBorder) {
  start_with_surface(palette_rgb[PINK]);
  EXPECT_EQ(VELKO_wipe(), 1);
  EXPECT_EQ(surface_dirty, 1);
  for (int y = 0; y < SURFACE_HEIGHT; ++y) {
    for (int x = 0; x < SURFACE_WIDTH; ++x) {
      const bool border = x == 0 || y == 0 || x == SURFACE_WIDTH - 1 || y == SURFACE_HEIGHT - 1;
      ASSERT_EQ(surface_pixel(x, y), border ? palette_rgb[BLACK] : palette_rgb[WHITE])
          << x << "," << y;
    }
  }
}

TEST(DrawOpsPixels, CircleSpansTwiceItsRadiusPlusOne) {
  start_with_surface(palette_rgb[WHITE]);
  logging_enabled = 0;
  auto before = snapshot();
  VELKO_circle(ICE_BLUE, 0, 25, 57);
  Change c = changes_since(before);
  EXPECT_EQ(c.right - c.left + 1, 115);
  EXPECT_EQ(c.bottom - c.top + 1, 115);
  EXPECT_EQ(c.left, origin_x - 57);
  EXPECT_EQ(c.top, origin_y - 82);
}

TEST(DrawOpsPixels, HugeCircleAtTheOriginCoversTheSurface) {
  start_with_surface(palette_rgb[WHITE]);
  logging_enabled = 0;
  VELKO_circle(GOLD, 0, 0, INT_MIN);
  for (int y = 0; y < SURFACE_HEIGHT; y += 7) {
    for (int x = 0; x < SURFACE_WIDTH; x += 7)
      ASSERT_EQ(surface_pixel(x, y), palette_rgb[GOLD]);
  }
}

TEST(DrawOpsPixels, LineAndPixelOperations) {
  start_with_surface(palette_rgb[WHITE]);
  logging_enabled = 0;
  const auto before = snapshot();
  VELKO_line(BLACK, 0, 0, 0, 10, -1);
  VELKO_pixel(PURPLE, 20, 20);
  const Change c = changes_since(before);
  EXPECT_EQ(surface_at(0, 0), palette_rgb[BLACK]);
  EXPECT_EQ(surface_at(0, 9), palette_rgb[BLACK]);
  EXPECT_EQ(surface_at(0, 10), palette_rgb[WHITE]);
  EXPECT_EQ(surface_at(20, 20), palette_rgb[PURPLE]);
  EXPECT_EQ(c.count, 11);
}
