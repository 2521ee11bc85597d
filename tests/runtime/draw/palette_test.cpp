// The palette's values and names and the colour check.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>
#include <string>

#include "tests/runtime/draw/draw_test_util.h"

TEST(Palette, ValuesAreInBlueGreenRedLayout) {
  EXPECT_EQ(palette_rgb[BLACK], 0x000000u);
  EXPECT_EQ(palette_rgb[WHITE], 0xFFFFFFu);
  EXPECT_EQ(palette_rgb[RED], 0x0000FFu);
  EXPECT_EQ(palette_rgb[BLUE], 0xFF0000u);
  EXPECT_EQ(palette_rgb[ORANGE], 0x0066FFu);  // 255, 102, 0
  EXPECT_EQ(palette_rgb[PURPLE], 0xCC0099u);  // 153, 0, 204
  EXPECT_EQ(palette_rgb[NAVY_BLUE], 0x993300u);
  EXPECT_EQ(palette_rgb[BROWN], 0x336699u);  // 153, 102, 51
  EXPECT_EQ(palette_rgb[FOREST_GREEN], 0x336600u);
  EXPECT_EQ(palette_rgb[GRAY_50], 0x808080u);  // the darker grey
  EXPECT_EQ(palette_rgb[GRAY_20], 0xCCCCCCu);  // the lighter grey
  for (PlatColor value : palette_rgb)
    EXPECT_EQ(value & 0xFF000000u, 0u);
  EXPECT_EQ(std::set<PlatColor>(palette_rgb.begin(), palette_rgb.end()).size(),
            static_cast<std::size_t>(PALETTE_SIZE));
}

TEST(Palette, NamesKeepBlanksAndPercentSigns) {
  EXPECT_STREQ(color_names[BLACK], "black");
  EXPECT_STREQ(color_names[NAVY_BLUE], "navy blue");
  EXPECT_STREQ(color_names[DUSTY_PLUM], "dusty plum");
  EXPECT_STREQ(color_names[ICE_BLUE], "ice blue");
  EXPECT_STREQ(color_names[FOREST_GREEN], "forest green");
  EXPECT_STREQ(color_names[SEA_GREEN], "sea green");
  EXPECT_STREQ(color_names[GRAY_50], "50% gray");
  EXPECT_STREQ(color_names[GRAY_20], "20% gray");
  std::set<std::string> distinct;
  for (const char* name : color_names) {
    ASSERT_NE(name, nullptr);
    for (const char* c = name; *c; ++c)
      EXPECT_FALSE(*c >= 'A' && *c <= 'Z') << name;
    distinct.insert(name);
  }
  EXPECT_EQ(distinct.size(), static_cast<std::size_t>(PALETTE_SIZE));
}

TEST(Palette, CheckPassesValidIndicesSilently) {
  reset_log();
  // The designer's colour button steps this way through the palette.
  int index = 0;
  std::set<int> seen;
  for (int step = 0; step < PALETTE_SIZE; ++step) {
    EXPECT_EQ(check_color(index), index);
    seen.insert(index);
    index = (index + 1) % PALETTE_SIZE;
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(PALETTE_SIZE));
  EXPECT_TRUE(log_lines().empty());
}

TEST(Palette, CheckTurnsOthersRedWithOneLineEach) {
  reset_log();
  logging_enabled = 0;  // the line does not depend on the switch
  EXPECT_EQ(check_color(24), RED);
  EXPECT_EQ(check_color(-1), RED);
  EXPECT_EQ(check_color(INT_MIN), RED);
  EXPECT_EQ(check_color(INT_MAX), RED);
  const std::vector<std::string> expected = {
      "Illegal color 24; using RED.\n",
      "Illegal color -1; using RED.\n",
      "Illegal color -2147483648; using RED.\n",
      "Illegal color 2147483647; using RED.\n",
  };
  EXPECT_EQ(log_lines(), expected);
}
