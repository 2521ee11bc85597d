// Rectangles: the box includes left/top and excludes right/bottom; the thin
// pen frames the boundary pixels; wide pens are centred on the frame.
#include <gtest/gtest.h>

#include "tests/render/raster_helpers.h"

namespace {

// The executor's rectangle from (-10, 10) to (10, -10) with the origin at
// (297, 248): right and bottom are one past the corner pixels.
constexpr int L = 287, T = 238, R = 308, B = 259;

TEST(RasterRectangle, FilledBoxCoversBothCornersInOneColour) {
  auto c = make_canvas(601, 540);
  plat->draw->rectangle(c.get(), L, T, R, B, pen_of(0), brush_of(kInk));
  const Extent e = extent_of(c, kInk);
  EXPECT_EQ(e.left, 287);
  EXPECT_EQ(e.right, 307);
  EXPECT_EQ(e.top, 238);
  EXPECT_EQ(e.bottom, 258);
  EXPECT_EQ(count_of(c, kInk), 21 * 21);
  EXPECT_EQ(count_of(c, kBack), 601 * 540 - 21 * 21);
}

TEST(RasterRectangle, ThinFrameWithHollowBrushLeavesInsideAlone) {
  for (int width : {0, 1}) {
    auto c = make_canvas(601, 540);
    plat->draw->rectangle(c.get(), L, T, R, B, pen_of(width), hollow());
    EXPECT_EQ(count_of(c, kInk), 4 * 21 - 4) << width;
    for (int i = 0; i < 21; ++i) {
      EXPECT_TRUE(inked(c, L + i, T) && inked(c, L + i, B - 1)) << i;
      EXPECT_TRUE(inked(c, L, T + i) && inked(c, R - 1, T + i)) << i;
    }
    for (int y = T + 1; y < B - 1; ++y) {
      for (int x = L + 1; x < R - 1; ++x)
        ASSERT_EQ(at(c, x, y), kBack) << x << "," << y;
    }
  }
}

TEST(RasterRectangle, PenFramesAndBrushFillsTheInside) {
  auto c = make_canvas(20, 20);
  plat->draw->rectangle(c.get(), 2, 3, 8, 7, pen_of(1), brush_of(kFill));
  EXPECT_EQ(picture(c, 1, 2, 8, 7),
            "........\n"
            ".######.\n"
            ".#oooo#.\n"
            ".#oooo#.\n"
            ".######.\n"
            "........\n");
}

TEST(RasterRectangle, WithoutPenTheBrushCoversOnePixelLessEachWay) {
  auto c = make_canvas(601, 540);
  plat->draw->rectangle(c.get(), L, T, R, B, no_pen(), brush_of(kFill));
  const Extent e = extent_of(c, kFill);
  EXPECT_EQ(e.left, 287);
  EXPECT_EQ(e.right, 306);
  EXPECT_EQ(e.top, 238);
  EXPECT_EQ(e.bottom, 257);
  EXPECT_EQ(count_of(c, kFill), 20 * 20);

  auto none = make_canvas(20, 20);
  plat->draw->rectangle(none.get(), 2, 2, 9, 9, no_pen(), hollow());
  EXPECT_EQ(count_of(none, kBack), 400);
}

TEST(RasterRectangle, SmallEmptyAndReversedBoxes) {
  auto c = make_canvas(20, 20);
  plat->draw->rectangle(c.get(), 5, 5, 6, 6, pen_of(0), brush_of(kInk));
  EXPECT_EQ(count_of(c, kInk), 1);
  EXPECT_TRUE(inked(c, 5, 5));

  auto empty = make_canvas(20, 20);
  plat->draw->rectangle(empty.get(), 5, 5, 5, 9, pen_of(0), brush_of(kInk));
  plat->draw->rectangle(empty.get(), 5, 5, 9, 5, pen_of(3), brush_of(kInk));
  EXPECT_EQ(count_of(empty, kBack), 400);

  // Corners given the other way round cover the same pixels.
  auto ordered = make_canvas(20, 20), reversed = make_canvas(20, 20);
  plat->draw->rectangle(ordered.get(), 3, 4, 11, 15, pen_of(1), brush_of(kFill));
  plat->draw->rectangle(reversed.get(), 11, 15, 3, 4, pen_of(1), brush_of(kFill));
  EXPECT_EQ(picture(ordered, 0, 0, 19, 19), picture(reversed, 0, 0, 19, 19));
}

// The frame runs through pixels 10..29. An odd width puts (w-1)/2 pixels on
// each side; w = 3 keeps square corners, since the corner pixel lies within
// 1.5 of the corner.
TEST(RasterRectangle, OddWidePenIsCentredOnTheFrame) {
  auto c = make_canvas(40, 40);
  plat->draw->rectangle(c.get(), 10, 10, 30, 30, pen_of(3), hollow());
  EXPECT_EQ(picture(c, 7, 7, 13, 13),
            ".......\n"
            ".......\n"
            "..#####\n"
            "..#####\n"
            "..#####\n"
            "..###..\n"
            "..###..\n");
  EXPECT_EQ(picture(c, 26, 26, 32, 32),
            "..###..\n"
            "..###..\n"
            "#####..\n"
            "#####..\n"
            "#####..\n"
            ".......\n"
            ".......\n");
  const Extent e = extent_of(c, kInk);
  EXPECT_EQ(e.left, 9);
  EXPECT_EQ(e.right, 30);
  EXPECT_EQ(count_of(c, kInk), 22 * 22 - 16 * 16);
}

// An even width 2k is centred on the line through the frame pixels' top-left
// corners: k pixels outside the top and left edges, k inside the bottom and
// right ones. Joins are round, so from w = 4 on the outer corner pixel stays.
TEST(RasterRectangle, EvenWidePenAndRoundCorners) {
  auto c = make_canvas(40, 40);
  plat->draw->rectangle(c.get(), 10, 10, 30, 30, pen_of(4), hollow());
  EXPECT_EQ(picture(c, 7, 7, 13, 13),
            ".......\n"
            "..#####\n"
            ".######\n"
            ".######\n"
            ".######\n"
            ".####..\n"
            ".####..\n");
  EXPECT_EQ(picture(c, 26, 26, 31, 31),
            ".####.\n"
            "#####.\n"
            "#####.\n"
            "#####.\n"
            "####..\n"
            "......\n");
  const Extent e = extent_of(c, kInk);
  EXPECT_EQ(e.left, 8);
  EXPECT_EQ(e.top, 8);
  EXPECT_EQ(e.right, 30);
  EXPECT_EQ(e.bottom, 30);
  for (int y = 12; y <= 26; ++y) {
    for (int x = 12; x <= 26; ++x)
      ASSERT_EQ(at(c, x, y), kBack) << x << "," << y;
  }
}

TEST(RasterRectangle, WidePenOverTheBrush) {
  auto c = make_canvas(40, 40);
  plat->draw->rectangle(c.get(), 10, 10, 30, 30, pen_of(5, kInk), brush_of(kFill));
  // The band reaches two pixels inside the frame; the brush shows within.
  EXPECT_TRUE(inked(c, 12, 20));
  EXPECT_EQ(at(c, 13, 20), kFill);
  EXPECT_EQ(at(c, 26, 26), kFill);
  EXPECT_TRUE(inked(c, 27, 26));
  EXPECT_EQ(count_of(c, kFill), 14 * 14);
}

}  // namespace
