// Font metrics, extents and the sharing of fonts of one size.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "tests/render/text_support.h"

namespace {

PlatTextMetrics metrics_of(PlatCanvas* canvas, PlatFont* font) {
  PlatTextMetrics m;
  plat->draw->text_metrics(canvas, font, &m);
  return m;
}

bool same(const PlatTextMetrics& a, const PlatTextMetrics& b) {
  return a.height == b.height && a.ascent == b.ascent && a.external_leading == b.external_leading;
}

}  // namespace

TEST(TextMetrics, ApplicationFontCellIsTallerThanItsEmAndGrowsWithIt) {
  CanvasPtr canvas(render_canvas_create(8, 8));
  int previous = 0;
  for (int size : {6, 12, 16, 40, 127}) {
    FontPtr font(plat->draw->create_font(size));
    const PlatTextMetrics m = metrics_of(canvas.get(), font.get());
    // The application face's Windows ascent and descent span more than its
    // em (1.12 em for Liberation Sans), which at 6 pixels the rounding of
    // each of them takes back.
    EXPECT_GE(m.height, size + (size >= 12 ? 1 : 0)) << size;
    EXPECT_LT(m.height, 2 * size + 2) << size;
    EXPECT_GT(m.ascent, 0) << size;
    EXPECT_LT(m.ascent, m.height) << size;
    EXPECT_GE(m.external_leading, 0) << size;
    EXPECT_GT(m.height, previous) << size;
    previous = m.height;
  }
}

TEST(TextMetrics, PreferredFacesHaveTheWindowsCells) {
  // Liberation Sans: usWinAscent 1854, usWinDescent 434 and a line gap of 67
  // in 2048 units; Liberation Mono: 1705, 615 and 0. Each is scaled and
  // rounded on its own; the gap beyond the Windows values is the leading.
  struct Row {
    bool fixed;
    int pixels;
    int ascent;
    int height;
    int leading;
  };
  const Row rows[] = {
      {false, 12, 11, 14, 0},
      {false, 16, 14, 17, 1},
      {false, 18, 16, 20, 1},
      {true, 12, 10, 14, 0},
  };
  ASSERT_EQ(render_text_face(false).family, "Liberation Sans");
  ASSERT_EQ(render_text_face(true).family, "Liberation Mono");
  CanvasPtr canvas(render_canvas_create(8, 8));
  for (const Row& row : rows) {
    FontPtr sans(plat->draw->create_font(row.pixels));
    const PlatTextMetrics m =
        metrics_of(canvas.get(), row.fixed ? plat->draw->fixed_font() : sans.get());
    EXPECT_EQ(m.ascent, row.ascent) << row.fixed << " " << row.pixels;
    EXPECT_EQ(m.height, row.height) << row.fixed << " " << row.pixels;
    EXPECT_EQ(m.external_leading, row.leading) << row.fixed << " " << row.pixels;
  }
}

TEST(TextMetrics, DefaultAndAbsurdHeightsGiveUsableFonts) {
  CanvasPtr canvas(render_canvas_create(8, 8));
  FontPtr by_default(plat->draw->create_font(0));
  FontPtr sixteen(plat->draw->create_font(16));
  FontPtr twelve(plat->draw->create_font(12));
  EXPECT_TRUE(
      same(metrics_of(canvas.get(), by_default.get()), metrics_of(canvas.get(), sixteen.get())));
  EXPECT_FALSE(
      same(metrics_of(canvas.get(), by_default.get()), metrics_of(canvas.get(), twelve.get())));

  // A negative height asks for the same em height.
  FontPtr minus(plat->draw->create_font(-20));
  FontPtr plus(plat->draw->create_font(20));
  EXPECT_TRUE(same(metrics_of(canvas.get(), minus.get()), metrics_of(canvas.get(), plus.get())));

  for (int size : {INT_MIN, INT_MAX, 1 << 20}) {
    FontPtr font(plat->draw->create_font(size));
    const PlatTextMetrics m = metrics_of(canvas.get(), font.get());
    EXPECT_GT(m.height, 0) << size;
    EXPECT_LT(m.height, 1000) << size;
    EXPECT_GT(extent_width(canvas.get(), font.get(), "W"), 0) << size;
  }
}

TEST(TextMetrics, FixedFontIsOneStockFontOfFixedPitch) {
  CanvasPtr canvas(render_canvas_create(8, 8));
  PlatFont* fixed = plat->draw->fixed_font();
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(plat->draw->fixed_font(), fixed);
  plat->draw->delete_font(fixed);  // the stock font survives this
  EXPECT_EQ(plat->draw->fixed_font(), fixed);

  const PlatTextMetrics m = metrics_of(canvas.get(), fixed);
  EXPECT_GT(m.height, 12);  // a 12-pixel em plus the face's ascent and descent beyond it
  EXPECT_LT(m.height, 26);
  EXPECT_GE(m.external_leading, 0);
  EXPECT_GT(m.height + m.external_leading, 12);

  const int one = extent_width(canvas.get(), fixed, "i");
  EXPECT_GT(one, 0);
  EXPECT_EQ(extent_width(canvas.get(), fixed, "W"), one);
  EXPECT_EQ(extent_width(canvas.get(), fixed, "iiWW.."), 6 * one);

  // The application font of the same em height is another face.
  FontPtr sans(plat->draw->create_font(12));
  EXPECT_NE(extent_width(canvas.get(), sans.get(), "i"),
            extent_width(canvas.get(), sans.get(), "W"));
}

TEST(TextExtent, WidthAddsUpAdvancesAndHeightIsTheCell) {
  CanvasPtr canvas(render_canvas_create(8, 8));
  FontPtr font(plat->draw->create_font(20));
  const PlatTextMetrics m = metrics_of(canvas.get(), font.get());

  const int a = extent_width(canvas.get(), font.get(), "a");
  const int ab = extent_width(canvas.get(), font.get(), "ab");
  const int abc = extent_width(canvas.get(), font.get(), "abc");
  EXPECT_GT(a, 0);
  EXPECT_GT(ab, a);
  EXPECT_GT(abc, ab);
  EXPECT_EQ(ab, a + extent_width(canvas.get(), font.get(), "b"));
  // Newlines are measured as characters like any other.
  EXPECT_EQ(extent_width(canvas.get(), font.get(), "a\nb"),
            ab + extent_width(canvas.get(), font.get(), "\n"));

  for (const std::string text : {"", "x", "gjpqy", "\xC5\xC9", "a\nb\n"}) {
    int width = -1;
    int height = -1;
    plat->draw->text_extent(canvas.get(), font.get(), text.data(), static_cast<int>(text.size()),
                            &width, &height);
    EXPECT_EQ(height, m.height) << text;
  }

  // Only the first count characters count; a count below 0 is none.
  int width = -1;
  int height = -1;
  plat->draw->text_extent(canvas.get(), font.get(), "abc", 1, &width, &height);
  EXPECT_EQ(width, a);
  plat->draw->text_extent(canvas.get(), font.get(), "abc", -5, &width, &height);
  EXPECT_EQ(width, 0);
  EXPECT_EQ(height, m.height);
}

TEST(TextFonts, FontsOfOneSizeAgreeAndOutliveEachOther) {
  CanvasPtr canvas(render_canvas_create(8, 8));
  PlatFont* first = plat->draw->create_font(24);
  FontPtr second(plat->draw->create_font(24));
  ASSERT_NE(first, second.get());
  EXPECT_TRUE(same(metrics_of(canvas.get(), first), metrics_of(canvas.get(), second.get())));
  const std::string text = "Scoop 3";
  const int width = extent_width(canvas.get(), first, text);
  EXPECT_EQ(extent_width(canvas.get(), second.get(), text), width);

  CanvasPtr by_first = filled_canvas(120, 40, 0xFFFFFF);
  draw(by_first.get(), first, 2, 2, text, 0x0000FF);
  plat->draw->delete_font(first);

  // The survivor still draws, from the same glyphs.
  CanvasPtr by_second = filled_canvas(120, 40, 0xFFFFFF);
  draw(by_second.get(), second.get(), 2, 2, text, 0x0000FF);
  EXPECT_FALSE(changed_box(by_second.get(), 0xFFFFFF).empty());
  EXPECT_EQ(by_first->pixels, by_second->pixels);
}
