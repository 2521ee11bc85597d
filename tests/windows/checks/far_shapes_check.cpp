// Shapes far beyond GDI's range, drawn by GDI through the win32 backend:
// - against the soft rasteriser's exact drawing of the same shapes, where
//   every pixel that differs must lie within a pixel of a boundary (for pens
//   GDI widens itself this is only reported: GDI's wide pens and the soft
//   rasteriser's may differ by a pixel on each side anywhere);
// - against a twin that GDI takes as it is and that paints the same on the
//   canvas (a line or an edge through the same whole pixels), where the
//   pixels must be identical.
// Text that starts far to the left must come out as GDI draws it from a
// position it can take.
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/platform/render/render.h"
#include "runtime/platform/win32/win32_geometry.h"
#include "runtime/platform/win32/win32_internal.h"
#include "tests/windows/checks/check_report.h"
#include "tests/windows/checks/dc_pixels.h"
#include "tests/windows/far_shapes/far_shapes.h"
#include "tests/windows/far_shapes/pixel_compare.h"

namespace {

constexpr int W = FAR_CANVAS_WIDTH;
constexpr int H = FAR_CANVAS_HEIGHT;

const ShapeOps win32_ops = {win32_draw.rectangle, win32_draw.ellipse, win32_draw.polygon,
                            win32_draw.line};

// A surface's pixels as 0x00RRGGBB, read through a DIB section of the same
// size (the surface's own bitmap stays selected).
Picture read_surface(PlatCanvas* surface) {
  return Picture{W, H, dc_pixels(w32_canvas(surface)->dc, W, H)};
}

Picture render_picture(const PlatCanvas* canvas) {
  return Picture{canvas->width, canvas->height, canvas->pixels};
}

int count_of(const Picture& picture, std::uint32_t pixel) {
  int n = 0;
  for (std::uint32_t p : picture.pixels)
    n += p == pixel;
  return n;
}

void check_shapes(CheckReport& report, PlatCanvas* surface) {
  PlatCanvas* exact = render_canvas_create(W, H);
  for (const FarShape& shape : far_shapes()) {
    win32_draw.fill_rect(surface, 0, 0, W, H, FAR_BACKGROUND);
    draw_far_shape(shape, win32_ops, surface);
    render_fill_rect(exact, 0, 0, W, H, FAR_BACKGROUND);
    draw_far_shape(shape, ShapeOps{render_rectangle, render_ellipse, render_polygon, render_line},
                   exact);
    const Picture got = read_surface(surface);
    const Picture want = render_picture(exact);
    const Comparison c = compare_near(got, want);
    std::string what = std::string(shape.name) + ": " + std::to_string(c.differing) + " of " +
                       std::to_string(W * H) + " pixels differ";
    if (c.far_off > 0) {
      what += ", " + std::to_string(c.far_off) + " far from a boundary, the first at " +
              std::to_string(c.first_x) + ", " + std::to_string(c.first_y);
    }
    const PlatPen pen = far_pen(shape);
    if (w32_narrow_pen(pen) && pen.width > 1) {
      report.note(what + (c.far_off ? " (reported only: GDI widens this pen itself)" : ""));
    } else {
      report.expect(c.far_off == 0, what);
    }
    report.note("pen pixels " + std::to_string(count_of(got, render_pixel_from_color(FAR_PEN))) +
                " (exact " + std::to_string(count_of(want, render_pixel_from_color(FAR_PEN))) +
                "), brush pixels " +
                std::to_string(count_of(got, render_pixel_from_color(FAR_BRUSH))) + " (exact " +
                std::to_string(count_of(want, render_pixel_from_color(FAR_BRUSH))) + ")");
  }
  render_canvas_destroy(exact);
}

// A far shape and a twin within GDI's range on the same lines: slopes of
// 1/2 put whole pixels on every edge wherever the backend cuts it.
struct Twins {
  const char* name;
  FarShape far_shape;
  FarShape twin;
};

void check_twins(CheckReport& report, PlatCanvas* surface, PlatCanvas* reference) {
  using S = FarShape;
  constexpr std::int64_t k2p30 = std::int64_t{1} << 30;
  constexpr std::int64_t k2p31 = std::int64_t{1} << 31;
  const Twins twins[] = {
      {"thin line",
       {"", S::LINE, {{-k2p31, 120 - k2p30}, {k2p31, 120 + k2p30}}, 0, false},
       {"", S::LINE, {{-16000, 120 - 8000}, {16000, 120 + 8000}}, 0, false}},
      {"9-pixel line",
       {"", S::LINE, {{-k2p31, 120 - k2p30}, {k2p31, 120 + k2p30}}, 9, false},
       {"", S::LINE, {{-16000, 120 - 8000}, {16000, 120 + 8000}}, 9, false}},
      {"triangle with a 40-pixel pen",
       {"",
        S::POLYGON,
        {{300, 100}, {300 - k2p31, 100 + k2p30}, {300 + k2p31, 100 + k2p30}},
        40,
        false},
       {"",
        S::POLYGON,
        {{300, 100}, {300 - 16000, 100 + 8000}, {300 + 16000, 100 + 8000}},
        40,
        false}},
      {"filled triangle",
       {"",
        S::POLYGON,
        {{300, 100}, {300 - k2p31, 100 + k2p30}, {300 + k2p31, 100 + k2p30}},
        0,
        true},
       {"",
        S::POLYGON,
        {{300, 100}, {300 - 16000, 100 + 8000}, {300 + 16000, 100 + 8000}},
        0,
        true}},
      {"rectangle with a 5-pixel pen",
       {"", S::RECTANGLE, {{100, 120}, {k2p31, k2p31}}, 5, true},
       {"", S::RECTANGLE, {{100, 120}, {16000, 16000}}, 5, true}},
  };
  for (const Twins& t : twins) {
    win32_draw.fill_rect(surface, 0, 0, W, H, FAR_BACKGROUND);
    draw_far_shape(t.far_shape, win32_ops, surface);
    win32_draw.fill_rect(reference, 0, 0, W, H, FAR_BACKGROUND);
    draw_far_shape(t.twin, win32_ops, reference);
    const Picture got = read_surface(surface);
    const Picture want = read_surface(reference);
    int differing = 0;
    for (std::size_t i = 0; i < got.pixels.size(); ++i)
      differing += got.pixels[i] != want.pixels[i];
    const int painted = W * H - count_of(want, render_pixel_from_color(FAR_BACKGROUND));
    report.expect(differing == 0 && painted > 0,
                  std::string(t.name) + " two billion pixels out and its twin within range: " +
                      std::to_string(differing) + " of " + std::to_string(painted) +
                      " painted pixels differ");
  }
}

void check_text(CheckReport& report, PlatCanvas* surface, PlatCanvas* reference) {
  // A line long enough to reach from 30000 pixels left of the canvas into it.
  std::string text;
  while (text.size() < 3000)
    text += "VELKO cone designer ";
  PlatFont* font = w32_create_font(24);
  const int count = static_cast<int>(text.size());
  int width = 0, height = 0;
  w32_text_extent(surface, font, text.c_str(), count, &width, &height);
  const int x = W - width + 200;  // the end lies on the canvas, the start far off
  report.note("a " + std::to_string(count) + "-character line " + std::to_string(width) +
              " pixels wide starts at x = " + std::to_string(x));

  win32_draw.fill_rect(surface, 0, 0, W, H, FAR_BACKGROUND);
  w32_text_out(surface, font, x, 100, text.c_str(), count, FAR_PEN, false, 0);
  // GDI itself takes this position: the same line as GDI draws it.
  win32_draw.fill_rect(reference, 0, 0, W, H, FAR_BACKGROUND);
  HDC dc = w32_canvas(reference)->dc;
  HGDIOBJ previous = SelectObject(dc, w32_hfont(font));
  SetTextColor(dc, FAR_PEN);
  SetBkMode(dc, TRANSPARENT);
  TextOutA(dc, x, 100, text.c_str(), count);
  SelectObject(dc, previous);
  const Picture got = read_surface(surface);
  const Picture want = read_surface(reference);
  report.expect(got.pixels == want.pixels && count_of(got, render_pixel_from_color(FAR_PEN)) > 0,
                "text starting far to the left is drawn as GDI draws it (" +
                    std::to_string(count_of(got, render_pixel_from_color(FAR_PEN))) +
                    " glyph pixels)");

  // Positions no coordinate of GDI's could carry: nothing to see, no harm.
  struct Far {
    const char* where;
    std::int64_t x, y;
  };
  const Far far_off[] = {
      {"a trillion pixels to the left", -(std::int64_t{1} << 40), 100},
      {"a trillion pixels to the right", std::int64_t{1} << 40, 100},
      {"a trillion pixels above", 0, -(std::int64_t{1} << 40)},
      {"a trillion pixels below", 0, std::int64_t{1} << 40},
  };
  for (const Far& f : far_off) {
    win32_draw.fill_rect(surface, 0, 0, W, H, FAR_BACKGROUND);
    w32_text_out(surface, font, f.x, f.y, text.c_str(), count, FAR_PEN, true, FAR_BRUSH);
    const Picture after = read_surface(surface);
    report.expect(count_of(after, render_pixel_from_color(FAR_BACKGROUND)) == W * H,
                  std::string("text ") + f.where + " draws nothing");
  }
  w32_delete_font(font);
}

}  // namespace

int main() {
  CheckReport report("Shapes and text far beyond GDI's range, through the win32 backend");
  PlatCanvas* surface = win32_draw.create_surface(nullptr, W, H);
  PlatCanvas* reference = win32_draw.create_surface(nullptr, W, H);
  if (!report.expect(surface && reference, "two 601 x 540 surfaces"))
    return report.finish();
  check_shapes(report, surface);
  check_twins(report, surface, reference);
  check_text(report, surface, reference);
  return report.finish();
}
