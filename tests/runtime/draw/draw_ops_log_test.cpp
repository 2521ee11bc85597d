// The drawing operations' repair lines, echo lines and results.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "runtime/velko.h"
#include "tests/runtime/draw/draw_test_util.h"

using Lines = std::vector<std::string>;

namespace {

void start_logging(bool on) {
  reset_log();
  logging_enabled = on ? 1 : 0;
}

}  // namespace

TEST(DrawOpsLog, EveryOperationEchoesOneLine) {
  start_logging(true);
  EXPECT_EQ(VELKO_circle(ICE_BLUE, 0, 25, 57), 1);
  EXPECT_EQ(VELKO_triangle(BROWN, 0, -175, -60, 25, 60, 25, 0), 1);
  EXPECT_EQ(VELKO_rectangle(GRAY_20, -300, -250, 300, 250, 0), 1);
  EXPECT_EQ(VELKO_rectangle(BLACK, -290, 240, -200, 210, 1), 1);
  EXPECT_EQ(VELKO_line(NAVY_BLUE, 1, 2, 3, 4, 0), 1);
  EXPECT_EQ(VELKO_pixel(GRAY_50, -7, 8), 1);
  EXPECT_EQ(VELKO_print_at(SEA_GREEN, 5, -6, 12, "Add %s", "Scoop"), 9);
  EXPECT_EQ(VELKO_wipe(), 1);
  const Lines expected = {
      "ice blue circle at (0,25), radius 57\n",
      "brown triangle at (0,-175), (-60,25), (60,25)\n",
      "20% gray rectangle with bounding box (-300,250) to (300,-250), filled\n",
      "black rectangle with bounding box (-290,240) to (-200,210) with line width 1\n",
      "navy blue line from (1,2) to (3,4), width 0\n",
      "50% gray pixel at (-7,8)\n",
      "sea green text at (5,-6), \"Add Scoop\"\n",
      "Clearing the graphics window\n",
  };
  EXPECT_EQ(log_lines(), expected);
}

TEST(DrawOpsLog, LoggingOffKeepsOnlyRepairLines) {
  start_logging(false);
  VELKO_circle(30, 0, 0, 5);
  VELKO_circle(RED, 0, 0, -4);
  VELKO_triangle(RED, 0, 0, 1, 1, 2, 0, -1);
  VELKO_rectangle(-1, 0, 0, 1, 1, 0);
  VELKO_line(24, 0, 0, 1, 1, -2);
  VELKO_pixel(99, 0, 0);
  VELKO_print_at(BLACK, 0, 0, 300, "x");
  VELKO_wipe();
  const Lines expected = {
      "Illegal color 30; using RED.\n",
      "Radius of -4 not possible, using radius 4\n",
      "Width of -1 not possible, using width 1\n",
      "Illegal color -1; using RED.\n",
      "Illegal color 24; using RED.\n",
      "Width of -2 not possible, using width 2\n",
      "Illegal color 99; using RED.\n",
      "ptsize of 300 not possible, using ptsize 127\n",
  };
  EXPECT_EQ(log_lines(), expected);
}

TEST(DrawOpsLog, RepairsComeFirstInTheirOrderAndTheEchoShowsTheRepairedValues) {
  start_logging(true);
  VELKO_circle(24, 1, 2, -5);
  VELKO_triangle(-1, 0, 0, 1, 1, 2, 0, -3);
  VELKO_rectangle(77, 10, -10, -10, 10, -3);
  VELKO_line(25, 0, 0, 9, 9, -4);
  VELKO_print_at(40, 0, 0, -200, "m");
  const Lines expected = {
      "Illegal color 24; using RED.\n",
      "Radius of -5 not possible, using radius 5\n",
      "red circle at (1,2), radius 5\n",
      "Illegal color -1; using RED.\n",
      "Width of -3 not possible, using width 3\n",
      "red triangle at (0,0), (1,1), (2,0)\n",
      "Illegal color 77; using RED.\n",
      "Width of -3 not possible, using width 3\n",
      "red rectangle with bounding box (-10,10) to (10,-10) with line width 3\n",
      "Illegal color 25; using RED.\n",
      "Width of -4 not possible, using width 4\n",
      "red line from (0,0) to (9,9), width 4\n",
      // Text: the size lines come before the colour line.
      "ptsize of -200 not possible, using ptsize 200\n",
      "ptsize of 200 not possible, using ptsize 127\n",
      "Illegal color 40; using RED.\n",
      "red text at (0,0), \"m\"\n",
  };
  EXPECT_EQ(log_lines(), expected);
}

TEST(DrawOpsLog, RectangleCornersAreOrderedWhicheverWayTheyCome) {
  start_logging(true);
  VELKO_rectangle(RED, 10, -10, -10, 10, 0);
  VELKO_rectangle(RED, -10, 10, 10, -10, 0);
  VELKO_rectangle(RED, -10, -10, 10, 10, 0);
  VELKO_rectangle(RED, 10, 10, -10, -10, 0);
  const std::string line = "red rectangle with bounding box (-10,10) to (10,-10), filled\n";
  EXPECT_EQ(log_lines(), Lines(4, line));
}

TEST(DrawOpsLog, TextSizesInRangePassSilently) {
  start_logging(false);
  VELKO_print_at(BLACK, 0, 0, 127, "a");
  VELKO_print_at(BLACK, 0, 0, 0, "a");
  EXPECT_TRUE(log_lines().empty());
  VELKO_print_at(BLACK, 0, 0, 128, "a");
  VELKO_print_at(BLACK, 0, 0, 200, "a");
  const Lines expected = {
      "ptsize of 128 not possible, using ptsize 127\n",
      "ptsize of 200 not possible, using ptsize 127\n",
  };
  EXPECT_EQ(log_lines(), expected);
}

TEST(DrawOpsLog, SmallestIntegerIsRepairedToTheLargest) {
  start_logging(false);
  VELKO_circle(RED, 0, 0, INT_MIN);
  VELKO_triangle(RED, 0, 0, 1, 1, 2, 0, INT_MIN);
  VELKO_rectangle(RED, 0, 0, 1, 1, INT_MIN);
  VELKO_line(RED, 0, 0, 1, 1, INT_MIN);
  VELKO_print_at(RED, 0, 0, INT_MIN, "m");
  const Lines expected = {
      "Radius of -2147483648 not possible, using radius 2147483647\n",
      "Width of -2147483648 not possible, using width 2147483647\n",
      "Width of -2147483648 not possible, using width 2147483647\n",
      "Width of -2147483648 not possible, using width 2147483647\n",
      "ptsize of -2147483648 not possible, using ptsize 2147483647\n",
      "ptsize of 2147483647 not possible, using ptsize 127\n",
  };
  EXPECT_EQ(log_lines(), expected);
}

TEST(DrawOpsLog, CircleWhoseBoxLeavesTheIntegersGetsTheLargestRadiusThatFits) {
  start_logging(true);
  VELKO_circle(RED, 0, 0, INT_MAX);       // -INT_MAX .. INT_MAX fits
  VELKO_circle(RED, INT_MIN, 0, 0);       // a point fits anywhere
  VELKO_circle(RED, INT_MAX, 0, 5);       // x + 5 does not
  VELKO_circle(RED, 0, INT_MIN + 3, 10);  // y - 10 does not
  VELKO_circle(RED, 1, -2, INT_MIN);      // negated, then fitted
  const Lines expected = {
      "red circle at (0,0), radius 2147483647\n",
      "red circle at (-2147483648,0), radius 0\n",
      "Radius of 5 not possible, using radius 0\n",
      "red circle at (2147483647,0), radius 0\n",
      "Radius of 10 not possible, using radius 3\n",
      "red circle at (0,-2147483645), radius 3\n",
      "Radius of -2147483648 not possible, using radius 2147483647\n",
      "Radius of 2147483647 not possible, using radius 2147483646\n",
      "red circle at (1,-2), radius 2147483646\n",
  };
  EXPECT_EQ(log_lines(), expected);
}

TEST(DrawOpsLog, PrintAtCountsTheTextItDraws) {
  start_logging(true);
  EXPECT_EQ(VELKO_print_at(BLACK, 0, 0, 12, "m"), 1);
  EXPECT_EQ(VELKO_print_at(BLACK, 0, 0, 12, "%d%%", 12345), 6);
  EXPECT_EQ(VELKO_print_at(BLACK, 0, 0, 12, "%s", ""), 0);
  EXPECT_EQ(VELKO_print_at(BLACK, 0, 0, 12, "a\nb"), 3);
  const Lines expected = {
      "black text at (0,0), \"m\"\n",
      "black text at (0,0), \"12345%\"\n",
      "black text at (0,0), \"\"\n",
      "black text at (0,0), \"a\nb\"\n",
  };
  EXPECT_EQ(log_lines(), expected);
}

TEST(DrawOpsLog, LongTextIsCutAt1023CharactersAndSoIsItsEcho) {
  start_logging(true);
  const std::string long_text(2000, 'w');
  EXPECT_EQ(VELKO_print_at(BLACK, 0, 0, 12, "%s", long_text.c_str()), 1023);
  const Lines lines = log_lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].size(), 1023u);
  const std::string head = "black text at (0,0), \"";
  EXPECT_EQ(lines[0], head + std::string(1023 - head.size(), 'w'));
}
