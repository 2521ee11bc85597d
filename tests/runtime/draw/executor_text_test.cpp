// Text commands: lines split at newlines, the first standing on the anchor,
// each further one a font height lower, drawn transparently; the text read
// as UTF-8 or Windows-1252 as a whole.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "runtime/draw/draw_command.h"
#include "runtime/draw/text_blocks.h"
#include "tests/runtime/draw/draw_test_util.h"
#include "tests/support/draw_command_of.h"

namespace {

const PlatColor kGround = palette_rgb[GREEN];

class ExecutorText : public ::testing::Test {
 protected:
  void SetUp() override {
    start_with_surface(kGround);
    reference_ = plat->draw->create_surface(nullptr, SURFACE_WIDTH, SURFACE_HEIGHT);
    plat->draw->fill_rect(reference_, 0, 0, SURFACE_WIDTH, SURFACE_HEIGHT, kGround);
  }
  void TearDown() override { render_canvas_destroy(reference_); }

  void draw(const std::string& text, int x, int y, int ptsize, int color = BLACK) {
    const std::int32_t block = text_block_alloc(text.c_str(), static_cast<int>(text.size()));
    surface_dirty = 0;
    execute_draw_command(text_command_of(color, x, y, ptsize, block));
    EXPECT_EQ(surface_dirty, 1);
    text_block_free(block);
  }

  // The font height h the executor spaces lines by.
  int line_height(int ptsize) {
    PlatFont* font = plat->draw->create_font(ptsize);
    PlatTextMetrics metrics;
    plat->draw->text_metrics(surface_dc, font, &metrics);
    plat->draw->delete_font(font);
    return metrics.height;
  }

  // Draws one run on the reference with its cell's top-left at a surface pixel.
  void expect_run(const char* run, int left, int top, int ptsize, int color = BLACK) {
    PlatFont* font = plat->draw->create_font(ptsize);
    plat->draw->text_out(reference_, font, left, top, run, static_cast<int>(std::strlen(run)),
                         palette_rgb[color], false, 0);
    plat->draw->delete_font(font);
  }

  bool same_as_reference() const { return surface_dc->pixels == reference_->pixels; }

  PlatCanvas* reference_ = nullptr;
};

}  // namespace

TEST_F(ExecutorText, OneLineStandsOnItsAnchor) {
  const int h = line_height(12);
  ASSERT_GT(h, 0);
  const auto before = snapshot();
  draw("mmm", 0, 0, 12);
  const Change c = changes_since(before);
  ASSERT_GT(c.count, 0) << "no glyphs drawn: is a font installed?";
  // "m" has no descender: all of its ink lies in the h rows above the anchor.
  EXPECT_GE(c.top, origin_y - h);
  EXPECT_LT(c.bottom, origin_y);
  EXPECT_GE(c.left, origin_x);
  expect_run("mmm", origin_x, origin_y - h, 12);
  EXPECT_TRUE(same_as_reference());
}

TEST_F(ExecutorText, LinesFollowOneFontHeightApart) {
  const int h = line_height(18);
  draw("Add\nScoop", -100, 50, 18, RED);
  expect_run("Add", origin_x - 100, origin_y - 50 - h, 18, RED);
  expect_run("Scoop", origin_x - 100, origin_y - 50, 18, RED);
  EXPECT_TRUE(same_as_reference());
}

TEST_F(ExecutorText, EmptyPiecesDrawNothing) {
  const int h = line_height(12);
  // Two leading newlines: the word is the third line, h rows below the anchor's row.
  draw("\n\nword", 0, 0, 12);
  expect_run("word", origin_x, origin_y + h, 12);
  // A trailing newline adds an empty piece and nothing else.
  draw("end\n", 50, 100, 12);
  expect_run("end", origin_x + 50, origin_y - 100 - h, 12);
  EXPECT_TRUE(same_as_reference());

  const auto before = snapshot();
  draw("", 0, 0, 12);
  draw("\n", 0, 0, 12);
  EXPECT_EQ(changes_since(before).count, 0);
}

TEST_F(ExecutorText, TheWholeTextIsReadByOneRule) {
  const int h = line_height(18);
  // UTF-8 throughout: every line as written.
  draw("Café\nПривет", -100, 50, 18);
  expect_run("Café", origin_x - 100, origin_y - 50 - h, 18);
  expect_run("Привет", origin_x - 100, origin_y - 50, 18);
  // A byte that is not UTF-8 on the second line makes the first line
  // Windows-1252 too: its "é" is the two characters of its bytes.
  draw("Caf\xC3\xA9\n\xE9t\xE9", 100, -50, 18);
  expect_run("CafÃ©", origin_x + 100, origin_y + 50 - h, 18);
  expect_run("été", origin_x + 100, origin_y + 50, 18);
  EXPECT_TRUE(same_as_reference());
}

TEST_F(ExecutorText, SizeZeroIsTheDefaultSizeNotNothing) {
  const int h = line_height(0);
  ASSERT_GT(h, 0);
  const auto before = snapshot();
  draw("m", 0, 0, 0);
  EXPECT_GT(changes_since(before).count, 0);
  expect_run("m", origin_x, origin_y - h, 0);
  EXPECT_TRUE(same_as_reference());
}

TEST_F(ExecutorText, GlyphsOnlyAndNoColourLeftBehind) {
  const int h = line_height(12);
  draw("m", 0, 0, 12, RED);
  // Transparent: the top row of the cell is above the x-height and keeps its colour.
  for (int x = 0; x < 5; ++x)
    EXPECT_EQ(surface_at(x, h), kGround) << x;

  execute_draw_command(command_of(DRAW_RECTANGLE, BLUE, 0, -30, -30, -20, -40));
  for (int y = -40; y <= -30; ++y) {
    for (int x = -30; x <= -20; ++x)
      ASSERT_EQ(surface_at(x, y), palette_rgb[BLUE]);
  }
}

TEST_F(ExecutorText, AHandleThatNamesNoBlockDrawsNothing) {
  const auto before = snapshot();
  surface_dirty = 0;
  execute_draw_command(text_command_of(0, 0, 0, 12, 987654));
  EXPECT_EQ(surface_dirty, 1);
  EXPECT_EQ(changes_since(before).count, 0);
}
