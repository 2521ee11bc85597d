// The executor's shapes on the surface, origin (297, 248): inclusive boxes,
// one-colour filled shapes, centred wide outlines, the line's excluded end.
#include <gtest/gtest.h>

#include <climits>

#include "runtime/draw/draw_command.h"
#include "tests/runtime/draw/draw_test_util.h"
#include "tests/support/client_origin.h"
#include "tests/support/draw_command_of.h"

namespace {

const PlatColor kGround = palette_rgb[GREEN];

class Executor : public ::testing::Test {
 protected:
  void SetUp() override {
    start_with_surface(kGround);
    ASSERT_EQ(origin_x, CLIENT_ORIGIN_X);
    ASSERT_EQ(origin_y, CLIENT_ORIGIN_Y);
    before_ = snapshot();
  }
  Change run(const DrawCommand& c) {
    execute_draw_command(c);
    EXPECT_EQ(surface_dirty, 1);
    return changes_since(before_);
  }
  std::vector<std::uint32_t> before_;
};

}  // namespace

TEST_F(Executor, FilledRectangleCoversBothCornersInOneColour) {
  const Change c = run(command_of(DRAW_RECTANGLE, BLUE, 0, -10, 10, 10, -10));
  EXPECT_EQ(c.left, 287);
  EXPECT_EQ(c.right, 307);
  EXPECT_EQ(c.top, 238);
  EXPECT_EQ(c.bottom, 258);
  EXPECT_EQ(c.count, 21 * 21);
  for (int y = 238; y <= 258; ++y) {
    for (int x = 287; x <= 307; ++x)
      ASSERT_EQ(surface_pixel(x, y), palette_rgb[BLUE]);
  }
}

TEST_F(Executor, OutlinedRectangleDrawsOnlyItsFrame) {
  const Change c = run(command_of(DRAW_RECTANGLE, BLUE, 1, -10, 10, 10, -10));
  EXPECT_EQ(c.count, 4 * 20);
  for (int i = -10; i <= 10; ++i) {
    EXPECT_EQ(surface_at(i, 10), palette_rgb[BLUE]);
    EXPECT_EQ(surface_at(i, -10), palette_rgb[BLUE]);
    EXPECT_EQ(surface_at(-10, i), palette_rgb[BLUE]);
    EXPECT_EQ(surface_at(10, i), palette_rgb[BLUE]);
  }
  EXPECT_EQ(surface_at(0, 0), kGround);
  EXPECT_EQ(surface_at(-9, 9), kGround);
}

TEST_F(Executor, WideOutlinesAreCentredOnTheEdge) {
  const Change c = run(command_of(DRAW_RECTANGLE, BLUE, 5, -20, 20, 20, -20));
  // Two pixels either side of each edge pixel, on all four sides.
  for (int edge : {-20, 20}) {
    for (int d = -2; d <= 2; ++d) {
      EXPECT_EQ(surface_at(edge + d, 0), palette_rgb[BLUE]) << edge << "+" << d;
      EXPECT_EQ(surface_at(0, edge + d), palette_rgb[BLUE]) << edge << "+" << d;
    }
    EXPECT_EQ(surface_at(edge - 3, 0), kGround);
    EXPECT_EQ(surface_at(edge + 3, 0), kGround);
    EXPECT_EQ(surface_at(0, edge - 3), kGround);
    EXPECT_EQ(surface_at(0, edge + 3), kGround);
  }
  EXPECT_EQ(surface_at(0, 0), kGround);
  EXPECT_EQ(c.right - c.left, c.bottom - c.top);
}

TEST_F(Executor, OvalsFillTheirInclusiveBox) {
  // The circle of radius 0 at the origin: one pixel.
  Change c = run(command_of(DRAW_OVAL, RED, 0, 0, 0, 0, 0));
  EXPECT_EQ(c.count, 1);
  EXPECT_EQ(surface_at(0, 0), palette_rgb[RED]);

  // Radius 57 about (0, 25): 115 pixels across in both directions.
  c = run(command_of(DRAW_OVAL, ICE_BLUE, 0, -57, 82, 57, -32));
  EXPECT_EQ(c.left, origin_x - 57);
  EXPECT_EQ(c.right, origin_x + 57);
  EXPECT_EQ(c.top, origin_y - 82);
  EXPECT_EQ(c.bottom, origin_y + 32);
  EXPECT_EQ(surface_at(0, 82), palette_rgb[ICE_BLUE]);
  EXPECT_EQ(surface_at(57, 25), palette_rgb[ICE_BLUE]);
  EXPECT_EQ(surface_at(56, 81), kGround);  // the box's corner is outside the disc
}

TEST_F(Executor, TrianglesAreFilledInOneColourOrOutlined) {
  Change c = run(command_of(DRAW_TRIANGLE, BROWN, 0, 0, -175, -60, 25, 60, 25));
  EXPECT_EQ(c.left, origin_x - 60);
  EXPECT_EQ(c.right, origin_x + 60);
  EXPECT_EQ(c.top, origin_y - 25);
  EXPECT_EQ(c.bottom, origin_y + 175);
  EXPECT_EQ(surface_at(0, 0), palette_rgb[BROWN]);
  EXPECT_EQ(surface_at(-60, 25), palette_rgb[BROWN]);
  EXPECT_EQ(surface_at(0, -175), palette_rgb[BROWN]);

  start_with_surface(kGround);
  before_ = snapshot();
  c = run(command_of(DRAW_TRIANGLE, BROWN, 1, 0, -175, -60, 25, 60, 25));
  EXPECT_EQ(surface_at(0, 0), kGround);
  EXPECT_EQ(surface_at(0, 25), palette_rgb[BROWN]);
  EXPECT_EQ(surface_at(60, 25), palette_rgb[BROWN]);
}

TEST_F(Executor, LineStopsShortOfItsEndPoint) {
  const Change c = run(command_of(DRAW_LINE, BLACK, 0, -5, 0, 5, 0));
  EXPECT_EQ(c.count, 10);
  for (int x = -5; x < 5; ++x)
    EXPECT_EQ(surface_at(x, 0), palette_rgb[BLACK]);
  EXPECT_EQ(surface_at(5, 0), kGround);
}

TEST_F(Executor, WideLineIsCentredOnItsPath) {
  run(command_of(DRAW_LINE, BLACK, 5, -20, 0, 20, 0));
  for (int y = -2; y <= 2; ++y)
    EXPECT_EQ(surface_at(0, y), palette_rgb[BLACK]) << y;
  EXPECT_EQ(surface_at(0, 3), kGround);
  EXPECT_EQ(surface_at(0, -3), kGround);
}

TEST_F(Executor, PixelSetsExactlyOnePixel) {
  const Change c = run(command_of(DRAW_PIXEL, PURPLE, 0, -7, 8));
  EXPECT_EQ(c.count, 1);
  EXPECT_EQ(c.left, CLIENT_ORIGIN_X - 7);
  EXPECT_EQ(c.top, CLIENT_ORIGIN_Y - 8);
  EXPECT_EQ(surface_pixel(290, 240), palette_rgb[PURPLE]);
}

TEST_F(Executor, UnknownKindsDrawNothingButMarkTheSurface) {
  for (std::uint32_t kind : {6u, 0xFFFFFFFFu, 0x80000000u}) {
    surface_dirty = 0;
    const Change c = run(command_of(kind, RED, 0, -10, 10, 10, -10, 0, 0));
    EXPECT_EQ(c.count, 0) << kind;
  }
}

TEST_F(Executor, FarCoordinatesAreClippedWithoutWrapping) {
  // origin + INT_MAX would wrap in 32 bits and land on the surface.
  Change c = run(command_of(DRAW_RECTANGLE, RED, 0, INT_MAX - 10, INT_MIN + 10, INT_MAX, INT_MIN));
  EXPECT_EQ(c.count, 0);
  c = run(command_of(DRAW_PIXEL, RED, 0, INT_MAX, INT_MIN));
  EXPECT_EQ(c.count, 0);
  // A box from the smallest to the largest coordinates covers everything.
  c = run(command_of(DRAW_RECTANGLE, RED, 0, INT_MIN, INT_MAX, INT_MAX, INT_MIN));
  EXPECT_EQ(c.count, SURFACE_WIDTH * SURFACE_HEIGHT);
}
