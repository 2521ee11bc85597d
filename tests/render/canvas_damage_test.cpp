// What a canvas reports as changed: the box of a fill or a pixel, the whole
// canvas for the other drawing, and for a copy only the pixels that differ.
#include <gtest/gtest.h>

#include "tests/render/raster_helpers.h"

namespace {

bool same_box(RenderBox a, RenderBox b) {
  return a.x0 == b.x0 && a.y0 == b.y0 && a.x1 == b.x1 && a.y1 == b.y1;
}

std::string show(RenderBox b) {
  return std::to_string(b.x0) + "," + std::to_string(b.y0) + " - " + std::to_string(b.x1) + "," +
         std::to_string(b.y1);
}

struct Counter {
  int calls = 0;
  static void count(void* self) { ++static_cast<Counter*>(self)->calls; }
};

TEST(CanvasDamage, FillsAndPixelsReportTheirClippedBox) {
  auto c = make_canvas(40, 30);
  render_canvas_take_damage(c.get());
  EXPECT_TRUE(render_canvas_take_damage(c.get()).empty());

  plat->draw->fill_rect(c.get(), 5, 6, 9, 8, kInk);
  EXPECT_TRUE(same_box(render_canvas_take_damage(c.get()), {5, 6, 9, 8}));
  plat->draw->fill_rect(c.get(), -10, 25, 100, 100, kInk);  // clipped
  plat->draw->set_pixel(c.get(), 3, 2, kInk);               // joined to it
  EXPECT_TRUE(same_box(render_canvas_take_damage(c.get()), {0, 2, 40, 30}));
  plat->draw->fill_rect(c.get(), 50, 50, 60, 60, kInk);  // off the canvas: nothing
  plat->draw->set_pixel(c.get(), -1, 0, kInk);
  EXPECT_TRUE(render_canvas_take_damage(c.get()).empty());
  // A shape is damage anywhere.
  plat->draw->rectangle(c.get(), 1, 1, 3, 3, pen_of(0), brush_of(kInk));
  EXPECT_TRUE(same_box(render_canvas_take_damage(c.get()), {0, 0, 40, 30}));
}

struct CopyCase {
  const char* what;
  int dst_x, dst_y, w, h, src_x, src_y;
  int mark_x, mark_y;  // a source pixel changed before the copy, or -1
  RenderBox damage;    // expected
};

TEST(CanvasCopy, WritesAndReportsOnlyThePixelsThatDiffer) {
  const CopyCase cases[] = {
      {"identical copy", 0, 0, 30, 20, 0, 0, -1, -1, {}},
      {"one pixel", 0, 0, 30, 20, 0, 0, 7, 4, {7, 4, 8, 5}},
      {"moved by the offsets", 3, 2, 30, 20, 1, 1, 7, 4, {9, 5, 10, 6}},
      {"change outside the copied part", 0, 0, 5, 5, 0, 0, 7, 4, {}},
      {"clipped at the destination", 25, 15, 30, 20, 0, 0, 3, 2, {28, 17, 29, 18}},
      {"negative origins", -2, -3, 30, 20, 0, 0, 7, 4, {5, 1, 6, 2}},
  };
  for (const CopyCase& c : cases) {
    auto src = make_canvas(30, 20);
    auto dst = make_canvas(32, 22);
    // Both start alike: a copy from a twin canvas.
    plat->draw->fill_rect(src.get(), 10, 10, 20, 15, kFill);
    plat->draw->blit(dst.get(), 0, 0, 30, 20, src.get(), 0, 0);
    plat->draw->blit(dst.get(), c.dst_x, c.dst_y, c.w, c.h, src.get(), c.src_x, c.src_y);
    if (c.mark_x >= 0)
      plat->draw->set_pixel(src.get(), c.mark_x, c.mark_y, kInk);
    auto expected = make_canvas(32, 22);
    plat->draw->blit(expected.get(), 0, 0, 30, 20, dst.get(), 0, 0);
    plat->draw->blit(expected.get(), 30, 0, 2, 22, dst.get(), 30, 0);
    plat->draw->blit(expected.get(), 0, 20, 32, 2, dst.get(), 0, 20);
    plat->draw->blit(expected.get(), c.dst_x, c.dst_y, c.w, c.h, src.get(), c.src_x, c.src_y);

    Counter counter;
    dst->changed = Counter::count;
    dst->changed_context = &counter;
    render_canvas_take_damage(dst.get());
    plat->draw->blit(dst.get(), c.dst_x, c.dst_y, c.w, c.h, src.get(), c.src_x, c.src_y);
    EXPECT_EQ(dst->pixels, expected->pixels) << c.what;
    const RenderBox damage = render_canvas_take_damage(dst.get());
    EXPECT_TRUE(same_box(damage, c.damage)) << c.what << ": " << show(damage);
    EXPECT_EQ(counter.calls, c.damage.empty() ? 0 : 1) << c.what;
  }
}

TEST(CanvasCopy, WithinOneCanvasMovesAsBefore) {
  auto c = make_canvas(10, 4);
  plat->draw->set_pixel(c.get(), 0, 0, kInk);
  render_canvas_take_damage(c.get());
  plat->draw->blit(c.get(), 1, 0, 9, 1, c.get(), 0, 0);
  EXPECT_TRUE(inked(c, 0, 0));
  EXPECT_TRUE(inked(c, 1, 0));
  EXPECT_TRUE(same_box(render_canvas_take_damage(c.get()), {1, 0, 10, 1}));
}

}  // namespace
