// The designer's redraw against its floor, a plain fill of as many bytes as
// the surface holds, and against the same scene drawn with cairo on an image
// surface of the same size (shapes without antialiasing, text with cairo's
// own glyph cache).
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "bench/scene.h"
#include "runtime/draw/palette.h"
#include "runtime/window/window.h"

namespace {

void BM_Redraw(benchmark::State& state) {
  bench_start_runtime();
  const DesignerState scene = bench_scene();
  for (auto _ : state) {
    bench_redraw(scene);
    benchmark::DoNotOptimize(surface_dc);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Redraw);

void BM_Floor(benchmark::State& state) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(SURFACE_WIDTH) * SURFACE_HEIGHT);
  std::uint32_t value = 0;
  for (auto _ : state) {
    value ^= 0xFFFFFFu;
    std::fill(pixels.begin(), pixels.end(), value);
    benchmark::DoNotOptimize(pixels.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Floor);

// ---------------------------------------------------------------------------
// The same figures with cairo, in surface pixels (y down, origin at the
// window's centre). Boxes include both corners, as the runtime's do.

struct CairoScene {
  cairo_surface_t* surface = nullptr;
  cairo_t* cr = nullptr;
};

double px(int x) {
  return CLIENT_ORIGIN_X + x;
}
double py(int y) {
  return CLIENT_ORIGIN_Y - y;
}

void set_color(cairo_t* cr, int color) {
  const PlatColor c = palette_rgb[static_cast<std::size_t>(color)];
  cairo_set_source_rgb(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0,
                       ((c >> 16) & 0xFF) / 255.0);
}

void fill_box(cairo_t* cr, int color, int x1, int y1, int x2, int y2) {
  set_color(cr, color);
  cairo_rectangle(cr, px(x1), py(y1), x2 - x1 + 1, y1 - y2 + 1);
  cairo_fill(cr);
}

void frame_box(cairo_t* cr, int color, int x1, int y1, int x2, int y2) {
  set_color(cr, color);
  cairo_set_line_width(cr, 1);
  cairo_rectangle(cr, px(x1) + 0.5, py(y1) + 0.5, x2 - x1, y1 - y2);
  cairo_stroke(cr);
}

void disc(cairo_t* cr, int color, int x, int y, int r) {
  set_color(cr, color);
  cairo_arc(cr, px(x) + 0.5, py(y) + 0.5, r + 0.5, 0, 6.283185307179586);
  cairo_fill(cr);
}

void triangle(cairo_t* cr, int color, int x1, int y1, int x2, int y2, int x3, int y3) {
  set_color(cr, color);
  cairo_move_to(cr, px(x1) + 0.5, py(y1) + 0.5);
  cairo_line_to(cr, px(x2) + 0.5, py(y2) + 0.5);
  cairo_line_to(cr, px(x3) + 0.5, py(y3) + 0.5);
  cairo_close_path(cr);
  cairo_fill(cr);
}

// A text standing on its anchor, em height size pixels.
void text(cairo_t* cr, int color, int x, int y, int size, const char* s) {
  set_color(cr, color);
  cairo_set_font_size(cr, size);
  cairo_font_extents_t extents;
  cairo_font_extents(cr, &extents);
  cairo_move_to(cr, px(x), py(y) - extents.descent);
  cairo_show_text(cr, s);
}

void cairo_redraw(cairo_t* cr, const DesignerState& s) {
  fill_box(cr, WHITE, -300, 250, 300, -250);
  for (int i = 0; i < BUTTON_COUNT; ++i) {
    frame_box(cr, BLACK, PANEL_LEFT, PANEL_TOP - BUTTON_HEIGHT * i, PANEL_RIGHT,
              PANEL_TOP - BUTTON_HEIGHT * (i + 1));
  }
  for (int i = 0; i < BUTTON_COUNT; ++i) {
    text(cr, PANEL_LABELS[i].color, LABEL_X, LABEL_TOP_Y - BUTTON_HEIGHT * i, LABEL_PTSIZE,
         PANEL_LABELS[i].text);
  }
  text(cr, RED, -130, -215, 11,
       "Topping selected. Click cone to move it, or a button to alter it.");
  if (s.scoop_count >= 3)
    disc(cr, PEACH, 0, 139, 57);
  if (s.scoop_count >= 2)
    disc(cr, TURQUOISE, 0, 82, 57);
  disc(cr, ICE_BLUE, 0, 25, 57);
  triangle(cr, BROWN, 0, -175, -60, 25, 60, 25);
  for (int i = 0; i < s.topping_count; ++i) {
    const int x = s.topping_x[i], y = s.topping_y[i];
    switch (s.topping_shape[i]) {
      case TOPPING_BAR:
        fill_box(cr, s.topping_color[i], x, y + 3, x + 10, y);
        break;
      case TOPPING_TRIANGLE:
        triangle(cr, BROWN, x - 7, y - 7, x + 7, y - 7, x, y + 7);
        break;
      default:
        disc(cr, s.topping_color[i], x, y, 8);
        text(cr, WHITE, x - 2, y - 2, 9, "m");
        break;
    }
  }
}

void BM_RedrawCairo(benchmark::State& state) {
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, SURFACE_WIDTH, SURFACE_HEIGHT);
  cairo_t* cr = cairo_create(surface);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  const DesignerState scene = bench_scene();
  for (auto _ : state) {
    cairo_redraw(cr, scene);
    cairo_surface_flush(surface);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
    benchmark::ClobberMemory();
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}
BENCHMARK(BM_RedrawCairo);

}  // namespace
