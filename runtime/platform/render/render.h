// Pixels for every backend that does not draw with its platform's own
// library (headless, gtk, web): 32-bit pixel buffers, the rasteriser that
// follows the Windows drawing rules, and text through FreeType with faces
// chosen by Fontconfig or, in the browser, built into the program (text*.cpp;
// where those are absent, text_measure_only.cpp measures text and draws
// none). render_draw is the drawing half of those backends' tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/platform/platform.h"
#include "runtime/platform/shared_api.h"

VELKO_SHARED_BEGIN

// A box of pixels [x0, x1) x [y0, y1).
struct RenderBox {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool empty() const { return x0 >= x1 || y0 >= y1; }
};

// Pixels are stored as 0x00RRGGBB words (the layout cairo and X11 take
// directly), row by row from the top.
struct PlatCanvas {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  // Called after every operation that changed pixels, so that a window can
  // ask its toolkit to show them. May be null.
  void (*changed)(void* context) = nullptr;
  void* changed_context = nullptr;
  // What may have changed since the owner last took it: the whole canvas
  // after most operations, the pixels that really differ after a copy.
  RenderBox damage;
};

// Colour conversion between the seam's 0x00BBGGRR and the stored 0x00RRGGBB.
constexpr std::uint32_t render_pixel_from_color(PlatColor color) {
  return ((color & 0xFFu) << 16) | (color & 0xFF00u) | ((color >> 16) & 0xFFu);
}
constexpr PlatColor render_color_from_pixel(std::uint32_t pixel) {
  return ((pixel & 0xFFu) << 16) | (pixel & 0xFF00u) | ((pixel >> 16) & 0xFFu);
}

// Sets n pixels from p on to one value: single pixels up to a 16-byte
// boundary, then aligned 16-byte stores, whatever the optimisation level (a
// plain loop stores 4 bytes at a time at -O2, and unaligned wide stores that
// straddle cache lines cost a fifth more). Every span fill of the canvases
// goes through here.
inline void render_fill_span(std::uint32_t* p, std::size_t n, std::uint32_t value) {
  typedef std::uint32_t Quad __attribute__((vector_size(16), may_alias));
  for (; n > 0 && (reinterpret_cast<std::uintptr_t>(p) & 15) != 0; --n)
    *p++ = value;
  const Quad quad = {value, value, value, value};
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    *reinterpret_cast<Quad*>(p + i) = quad;
    *reinterpret_cast<Quad*>(p + i + 4) = quad;
    *reinterpret_cast<Quad*>(p + i + 8) = quad;
    *reinterpret_cast<Quad*>(p + i + 12) = quad;
  }
  for (; i + 4 <= n; i += 4)
    *reinterpret_cast<Quad*>(p + i) = quad;
  for (; i < n; ++i)
    p[i] = value;
}

// A canvas of width x height black pixels (sizes below 0 count as 0).
PlatCanvas* render_canvas_create(int width, int height);
void render_canvas_destroy(PlatCanvas* canvas);

// Changes the size; pixels that stay inside keep their value, new ones are
// black.
void render_canvas_resize(PlatCanvas* canvas, int width, int height);

// The pixel at (x, y) as 0x00BBGGRR; 0 outside the canvas.
PlatColor render_canvas_pixel(const PlatCanvas* canvas, int x, int y);

// Tells the canvas's owner that pixels changed, anywhere on the canvas.
void render_canvas_touch(PlatCanvas* canvas);
// Tells the canvas's owner that pixels changed inside the box.
void render_canvas_damage(PlatCanvas* canvas, RenderBox box);
// The damage gathered since the last call; the canvas's damage is then empty.
RenderBox render_canvas_take_damage(PlatCanvas* canvas);

// ---------------------------------------------------------------------------
// The canvas and text operations of the seam, as the two backends' tables
// take them (see platform.h for what each does).

PlatCanvas* render_create_surface(PlatCanvas* compatible, int width, int height);
void render_blit(PlatCanvas* dst, int dst_x, int dst_y, int width, int height,
                 const PlatCanvas* src, int src_x, int src_y);
void render_scroll(PlatCanvas* canvas, int dy);
void render_fill_rect(PlatCanvas* canvas, std::int64_t left, std::int64_t top, std::int64_t right,
                      std::int64_t bottom, PlatColor color);
void render_rectangle(PlatCanvas* canvas, std::int64_t left, std::int64_t top, std::int64_t right,
                      std::int64_t bottom, const PlatPen& pen, const PlatBrush& brush);
void render_ellipse(PlatCanvas* canvas, std::int64_t left, std::int64_t top, std::int64_t right,
                    std::int64_t bottom, const PlatPen& pen, const PlatBrush& brush);
void render_polygon(PlatCanvas* canvas, const PlatPoint* points, int count, const PlatPen& pen,
                    const PlatBrush& brush);
void render_line(PlatCanvas* canvas, PlatPoint from, PlatPoint to, const PlatPen& pen);
void render_set_pixel(PlatCanvas* canvas, std::int64_t x, std::int64_t y, PlatColor color);

PlatFont* render_fixed_font();
PlatFont* render_create_font(int char_height);
void render_delete_font(PlatFont* font);
void render_text_metrics(PlatCanvas* canvas, PlatFont* font, PlatTextMetrics* metrics);
void render_text_extent(PlatCanvas* canvas, PlatFont* font, const char* text, int count, int* width,
                        int* height);
void render_text_out(PlatCanvas* canvas, PlatFont* font, std::int64_t x, std::int64_t y,
                     const char* text, int count, PlatColor text_color, bool opaque,
                     PlatColor background);

// The drawing half of the tables of the backends that draw here.
inline constexpr PlatDraw render_draw = {
    .create_surface = render_create_surface,
    .blit = render_blit,
    .scroll = render_scroll,
    .fill_rect = render_fill_rect,
    .rectangle = render_rectangle,
    .ellipse = render_ellipse,
    .polygon = render_polygon,
    .line = render_line,
    .set_pixel = render_set_pixel,
    .fixed_font = render_fixed_font,
    .create_font = render_create_font,
    .delete_font = render_delete_font,
    .text_metrics = render_text_metrics,
    .text_extent = render_text_extent,
    .text_out = render_text_out,
};

// The face text is drawn in: the fixed-pitch one or the application one,
// by family name and font file, both empty when no font was found. Looks
// the faces up if no text has been used yet.
struct RenderFace {
  std::string family;
  std::string file;
};
RenderFace render_text_face(bool fixed);

VELKO_SHARED_END
