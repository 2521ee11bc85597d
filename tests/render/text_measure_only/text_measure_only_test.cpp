// Text measured but not drawn: metrics and extents that agree with each other
// and with the requested size, and canvases that stay untouched.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "runtime/platform/render/render.h"

namespace {

// A canvas of one colour that counts the change notices it gets.
struct Canvas {
  PlatCanvas canvas;
  int notices = 0;
  Canvas() {
    canvas.width = 40;
    canvas.height = 20;
    canvas.pixels.assign(40 * 20, 0x00123456u);
    canvas.changed = [](void* self) { ++static_cast<Canvas*>(self)->notices; };
    canvas.changed_context = this;
  }
};

int width_of(PlatCanvas* canvas, PlatFont* font, const std::string& text) {
  int w = -1;
  int h = -1;
  render_text_extent(canvas, font, text.data(), static_cast<int>(text.size()), &w, &h);
  return w;
}

PlatTextMetrics metrics_of(PlatCanvas* canvas, PlatFont* font) {
  PlatTextMetrics m;
  render_text_metrics(canvas, font, &m);
  return m;
}

}  // namespace

TEST(TextMeasureOnly, HeightsFollowTheRequestedSize) {
  struct Case {
    int requested;
    int ascent;
    int height;
  };
  // Ascent 0.905 em and descent 0.212 em, each rounded; 0 is the default 16.
  const Case cases[] = {
      {1, 1, 1},    {12, 11, 14},    {-12, 11, 14},    {0, 14, 17},
      {16, 14, 17}, {127, 115, 142}, {1000, 232, 286}, {INT_MIN, 232, 286},
  };
  Canvas c;
  for (const Case& k : cases) {
    PlatFont* font = render_create_font(k.requested);
    const PlatTextMetrics m = metrics_of(&c.canvas, font);
    EXPECT_EQ(m.ascent, k.ascent) << k.requested;
    EXPECT_EQ(m.height, k.height) << k.requested;
    EXPECT_EQ(m.external_leading, 0) << k.requested;
    int w = -1;
    int h = -1;
    render_text_extent(&c.canvas, font, "Add Scoop", 9, &w, &h);
    EXPECT_EQ(h, m.height) << k.requested;
    EXPECT_GT(w, 0) << k.requested;
    render_delete_font(font);
  }
}

TEST(TextMeasureOnly, ExtentsAreSumsOfAdvancesByCharacterShape) {
  Canvas c;
  PlatFont* font = render_create_font(20);
  struct Case {
    const char* text;
    int width;
  };
  // At 20 pixels: narrow 5, space 6, normal 11, capital 13, wide 17.
  const Case cases[] = {
      {"", 0},
      {"i", 5},
      {" ", 6},
      {"a", 11},
      {"A", 13},
      {"m", 17},
      {"W", 17},
      {"\n", 11},
      {"Add Scoop", 98},
      {"\xE9", 11},
      // A character, UTF-8 or Windows-1252, is one advance, whatever its bytes.
      {"é", 11},
      {"Пр", 22},
      {"\xF0\x9F\x98\x80", 11},
      {"\xC3\xA9\xFF", 33},
  };
  for (const Case& k : cases)
    EXPECT_EQ(width_of(&c.canvas, font, k.text), k.width) << k.text;
  // Any split of a text measures the same in its parts.
  const std::string text = "Change Topping";
  for (std::size_t cut = 0; cut <= text.size(); ++cut) {
    EXPECT_EQ(width_of(&c.canvas, font, text.substr(0, cut)) +
                  width_of(&c.canvas, font, text.substr(cut)),
              width_of(&c.canvas, font, text))
        << cut;
  }
  render_delete_font(font);
}

TEST(TextMeasureOnly, TheFixedFontHasOneAdvanceAndIsNeverDeleted) {
  Canvas c;
  PlatFont* fixed = render_fixed_font();
  EXPECT_EQ(render_fixed_font(), fixed);
  const PlatTextMetrics m = metrics_of(&c.canvas, fixed);
  EXPECT_EQ(m.height, 14);
  EXPECT_EQ(m.ascent, 11);
  for (const char* text : {"iiii", "WWWW", "a b.", "\t\x01\xFF#"})
    EXPECT_EQ(width_of(&c.canvas, fixed, text), 28) << text;
  render_delete_font(fixed);
  EXPECT_EQ(metrics_of(&c.canvas, render_fixed_font()).height, 14);
}

TEST(TextMeasureOnly, CountsAndNullsAreSafe) {
  Canvas c;
  PlatFont* font = render_create_font(10);
  int w = -1;
  int h = -1;
  render_text_extent(&c.canvas, font, "abc", 2, &w, &h);
  EXPECT_EQ(w, 12);
  render_text_extent(&c.canvas, font, "abc", -5, &w, &h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 11);
  render_text_extent(&c.canvas, font, nullptr, 3, &w, &h);
  EXPECT_EQ(w, 0);
  render_text_extent(nullptr, font, "abc", 3, &w, &h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
  render_text_extent(&c.canvas, nullptr, "abc", 3, &w, &h);
  EXPECT_EQ(h, 0);
  render_text_extent(&c.canvas, font, "abc", 3, nullptr, nullptr);
  PlatTextMetrics m;
  m.height = 99;
  render_text_metrics(&c.canvas, nullptr, &m);
  EXPECT_EQ(m.height, 0);
  render_text_metrics(&c.canvas, font, nullptr);
  render_delete_font(font);
  render_delete_font(nullptr);
}

TEST(TextMeasureOnly, ALongRunStopsAtTheLargestWidth) {
  Canvas c;
  PlatFont* font = render_create_font(256);
  // 10 million wide characters of 218 pixels each pass INT_MAX.
  const std::string text(10'000'000, 'W');
  EXPECT_EQ(width_of(&c.canvas, font, text), INT_MAX);
  render_delete_font(font);
}

TEST(TextMeasureOnly, NothingIsDrawnOpaqueOrNot) {
  Canvas c;
  const std::vector<std::uint32_t> before = c.canvas.pixels;
  PlatFont* font = render_create_font(12);
  render_text_out(&c.canvas, font, 2, 2, "Scoop", 5, 0x000000FF, false, 0);
  render_text_out(&c.canvas, font, 2, 2, "Scoop", 5, 0x000000FF, true, 0x0000FF00);
  render_text_out(&c.canvas, render_fixed_font(), 0, 0, "Scoop", 5, 0, true, 0x00FFFFFF);
  EXPECT_EQ(c.canvas.pixels, before);
  EXPECT_EQ(c.notices, 0);
  render_delete_font(font);
}
