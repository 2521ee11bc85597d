// Drawing text on canvases: placement in the cell, transparent and opaque
// modes, clipping and the characters drawn, read from the bytes as UTF-8 or
// Windows-1252.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "runtime/platform/text_bytes.h"
#include "tests/render/text_support.h"
#include "tests/support/text_table.h"

namespace {

constexpr PlatColor kPaper = 0x00C0C0C0;
constexpr PlatColor kInk = 0x000000FF;  // red
constexpr PlatColor kBack = 0x0000FF00;

struct Cell {
  int width = 0;
  int height = 0;
  int ascent = 0;
};

Cell cell_of(PlatCanvas* canvas, PlatFont* font, const std::string& text) {
  PlatTextMetrics m;
  plat->draw->text_metrics(canvas, font, &m);
  Cell cell;
  cell.ascent = m.ascent;
  plat->draw->text_extent(canvas, font, text.data(), static_cast<int>(text.size()), &cell.width,
                          &cell.height);
  return cell;
}

std::string utf8_of(char32_t c) {
  std::string text;
  text_bytes::append_utf8(text, c);
  return text;
}

void count_change(void* context) {
  ++*static_cast<int*>(context);
}

}  // namespace

TEST(TextDraw, TransparentGlyphsStayInTheCellAndLeaveTheRestAlone) {
  CanvasPtr canvas = filled_canvas(200, 60, kPaper);
  FontPtr font(plat->draw->create_font(20));
  const std::string text = "Hello, Cone";
  const Cell cell = cell_of(canvas.get(), font.get(), text);
  draw(canvas.get(), font.get(), 30, 12, text, kInk);

  const Box box = changed_box(canvas.get(), kPaper);
  ASSERT_FALSE(box.empty());
  EXPECT_GE(box.left, 30);
  EXPECT_LE(box.right, 30 + cell.width + 1);
  EXPECT_GE(box.top, 12);
  EXPECT_LE(box.bottom, 12 + cell.height);
  // Solid stems take the text colour itself; the edges are antialiased.
  EXPECT_GT(count_color(canvas.get(), kInk), 10);
  bool blended = false;
  for (std::uint32_t pixel : canvas->pixels) {
    const PlatColor c = render_color_from_pixel(pixel);
    blended = blended || (c != kInk && c != kPaper);
  }
  EXPECT_TRUE(blended);
  // Transparent text never paints background: nothing is green.
  EXPECT_EQ(count_color(canvas.get(), kBack), 0);
}

TEST(TextDraw, CapitalsStandOnTheBaselineBelowTheAscent) {
  CanvasPtr canvas = filled_canvas(100, 80, kPaper);
  FontPtr font(plat->draw->create_font(30));
  const Cell cell = cell_of(canvas.get(), font.get(), "H");
  draw(canvas.get(), font.get(), 10, 20, "H", kInk);
  const Box box = changed_box(canvas.get(), kPaper);
  ASSERT_FALSE(box.empty());
  // The baseline is y + ascent: the flat foot of H ends on the row above it.
  EXPECT_EQ(box.bottom, 20 + cell.ascent);
  // A cap height of roughly 0.7 em.
  EXPECT_GT(box.bottom - box.top, 15);
  EXPECT_LT(box.bottom - box.top, 26);
}

TEST(TextDraw, OpaqueFillsExactlyTheCellThenDrawsTheGlyphs) {
  CanvasPtr canvas = filled_canvas(200, 60, kPaper);
  FontPtr font(plat->draw->create_font(16));
  const std::string text = "Add Scoop";
  const Cell cell = cell_of(canvas.get(), font.get(), text);
  draw(canvas.get(), font.get(), 20, 10, text, kInk, true, kBack);

  const Box box = changed_box(canvas.get(), kPaper);
  EXPECT_EQ(box.left, 20);
  EXPECT_EQ(box.top, 10);
  EXPECT_EQ(box.right, 20 + cell.width);
  EXPECT_EQ(box.bottom, 10 + cell.height);
  EXPECT_EQ(box.count, cell.width * cell.height);  // every pixel of the cell
  EXPECT_EQ(render_canvas_pixel(canvas.get(), 20, 10), kBack);
  EXPECT_EQ(render_canvas_pixel(canvas.get(), 20 + cell.width - 1, 10 + cell.height - 1), kBack);
  EXPECT_GT(count_color(canvas.get(), kInk), 10);
  EXPECT_GT(count_color(canvas.get(), kBack), cell.width * cell.height / 2);
}

TEST(TextDraw, OpaqueCellIsClippedWithTheCanvas) {
  CanvasPtr canvas = filled_canvas(40, 20, kPaper);
  FontPtr font(plat->draw->create_font(16));
  const std::string text = "A long status line that runs off the canvas";
  const Cell cell = cell_of(canvas.get(), font.get(), text);
  draw(canvas.get(), font.get(), -7, -5, text, kInk, true, kBack);
  const Box box = changed_box(canvas.get(), kPaper);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.top, 0);
  EXPECT_EQ(box.right, 40);
  EXPECT_EQ(box.bottom, cell.height - 5);
  EXPECT_EQ(box.count, 40 * (cell.height - 5));
}

TEST(TextDraw, PartlyVisibleTextShowsItsVisiblePart) {
  FontPtr font(plat->draw->create_font(20));
  CanvasPtr whole = filled_canvas(200, 40, kPaper);
  draw(whole.get(), font.get(), 50, 5, "WWWW", kInk);
  // The same text moved left, and left and up: the canvas shows the part
  // that lay right of and below the shift. Moved up as well, glyphs begin
  // left of column 0 on the canvas's first row.
  struct Shift {
    int dx;
    int dy;
  };
  for (const Shift shift : {Shift{100, 0}, Shift{100, 15}, Shift{57, 12}}) {
    SCOPED_TRACE(testing::Message() << "shift " << shift.dx << "," << shift.dy);
    CanvasPtr shifted = filled_canvas(200, 40, kPaper);
    draw(shifted.get(), font.get(), 50 - shift.dx, 5 - shift.dy, "WWWW", kInk);
    EXPECT_FALSE(changed_box(shifted.get(), kPaper).empty());
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 200; ++x) {
        const bool inside = x + shift.dx < 200 && y + shift.dy < 40;
        const PlatColor expected =
            inside ? render_canvas_pixel(whole.get(), x + shift.dx, y + shift.dy) : kPaper;
        ASSERT_EQ(render_canvas_pixel(shifted.get(), x, y), expected) << x << "," << y;
      }
    }
  }
}

TEST(TextDraw, FarOutCoordinatesClipWithoutTouchingTheCanvas) {
  CanvasPtr canvas = filled_canvas(64, 32, kPaper);
  int changes = 0;
  canvas->changed = count_change;
  canvas->changed_context = &changes;
  FontPtr font(plat->draw->create_font(127));
  const std::int64_t big = std::numeric_limits<std::int64_t>::max();
  const std::int64_t small = std::numeric_limits<std::int64_t>::min();
  const std::int64_t points[][2] = {
      {big, 0},       {small, 0},     {0, big},          {0, small},        {big, big},
      {small, small}, {1LL << 40, 0}, {0, -(1LL << 40)}, {-(1LL << 40), 0}, {0, 1LL << 40},
      {64, 0},        {0, 32 + 200},  {0, -500}};
  for (const auto& p : points) {
    draw(canvas.get(), font.get(), p[0], p[1], "Wide text", kInk, true, kBack);
    draw(canvas.get(), font.get(), p[0], p[1], "Wide text", kInk);
  }
  EXPECT_TRUE(changed_box(canvas.get(), kPaper).empty());
  EXPECT_EQ(changes, 0);

  // A visible run tells the canvas's owner.
  draw(canvas.get(), font.get(), 0, 0, "W", kInk);
  EXPECT_GT(changes, 0);
}

TEST(TextDraw, NullArgumentsDoNothing) {
  CanvasPtr canvas = filled_canvas(64, 32, kPaper);
  FontPtr font(plat->draw->create_font(16));
  plat->draw->text_out(canvas.get(), nullptr, 0, 0, "abc", 3, kInk, true, kBack);
  plat->draw->text_out(canvas.get(), font.get(), 0, 0, nullptr, 3, kInk, true, kBack);
  plat->draw->text_out(canvas.get(), font.get(), 0, 0, "abc", -1, kInk, true, kBack);
  plat->draw->text_out(nullptr, font.get(), 0, 0, "abc", 3, kInk, true, kBack);
  EXPECT_TRUE(changed_box(canvas.get(), kPaper).empty());

  PlatTextMetrics m;
  m.height = -1;
  plat->draw->text_metrics(canvas.get(), nullptr, &m);
  EXPECT_EQ(m.height, 0);
  int width = -1;
  int height = -1;
  plat->draw->text_extent(canvas.get(), nullptr, "abc", 3, &width, &height);
  EXPECT_EQ(width, 0);
  EXPECT_EQ(height, 0);
}

// Each string of the table, drawn whole, shows its characters: the same
// pixels as each character drawn alone after the one before, in both faces.
TEST(TextDraw, EveryStringShowsItsCharacters) {
  FontPtr sans(plat->draw->create_font(24));
  for (PlatFont* font : {sans.get(), plat->draw->fixed_font()}) {
    for (const TextCase& t : text_cases()) {
      SCOPED_TRACE(t.name);
      CanvasPtr whole = filled_canvas(480, 40, kPaper);
      draw(whole.get(), font, 4, 4, t.bytes, kInk);
      CanvasPtr by_character = filled_canvas(480, 40, kPaper);
      int pen = 4;
      for (char32_t c : t.shown) {
        const std::string alone = utf8_of(c);
        draw(by_character.get(), font, pen, 4, alone, kInk);
        pen += extent_width(by_character.get(), font, alone);
      }
      EXPECT_EQ(whole->pixels, by_character->pixels);
      EXPECT_EQ(extent_width(whole.get(), font, t.bytes), pen - 4);
    }
  }
}

// The faces hold every character of the table but one, which draws their
// missing-glyph box as control characters do: something, never nothing.
TEST(TextDraw, TheFacesHoldTheLanguagesAndBoxTheRest) {
  FontPtr sans(plat->draw->create_font(24));
  for (PlatFont* font : {sans.get(), plat->draw->fixed_font()}) {
    auto picture = [&](const std::string& text) {
      CanvasPtr canvas = filled_canvas(40, 40, kPaper);
      draw(canvas.get(), font, 4, 4, text, kInk);
      return canvas->pixels;
    };
    const auto box = picture("\x01");
    ASSERT_NE(box, picture("")) << "the missing-glyph box draws nothing";
    for (const TextCase& t : text_cases()) {
      for (char32_t c : t.shown) {
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
          continue;
        if (c == kNotInFaces)
          EXPECT_EQ(picture(utf8_of(c)), box) << t.name;
        else
          EXPECT_NE(picture(utf8_of(c)), box) << t.name << ": U+" << std::hex << +c;
      }
    }
  }
}
