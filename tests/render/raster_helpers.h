// Helpers for the rasteriser's pixel tests: canvases filled with a known
// background, pictures of small areas, and counts.
#pragma once

#include <algorithm>
#include <string>

#include "runtime/platform/render/render.h"
#include "tests/support/canvas_ptr.h"

// Colours as the seam takes them (0x00BBGGRR).
constexpr PlatColor kBack = 0x00302010;
constexpr PlatColor kInk = 0x000000FF;
constexpr PlatColor kFill = 0x0000FF00;

inline CanvasPtr make_canvas(int width, int height) {
  CanvasPtr canvas(render_canvas_create(width, height));
  plat->draw->fill_rect(canvas.get(), 0, 0, width, height, kBack);
  return canvas;
}

inline PlatPen pen_of(std::int64_t width, PlatColor color = kInk) {
  PlatPen pen;
  pen.color = color;
  pen.width = width;
  return pen;
}
inline PlatPen no_pen() {
  PlatPen pen;
  pen.none = true;
  return pen;
}
inline PlatBrush brush_of(PlatColor color) {
  PlatBrush brush;
  brush.color = color;
  return brush;
}
inline PlatBrush hollow() {
  PlatBrush brush;
  brush.hollow = true;
  return brush;
}

inline PlatColor at(const CanvasPtr& canvas, int x, int y) {
  return render_canvas_pixel(canvas.get(), x, y);
}
inline bool inked(const CanvasPtr& canvas, int x, int y) {
  return at(canvas, x, y) == kInk;
}

// The area [x0, x1] x [y0, y1] as text rows: '.' background, '#' ink,
// 'o' fill colour, '?' anything else.
inline std::string picture(const CanvasPtr& canvas, int x0, int y0, int x1, int y1) {
  std::string out;
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const PlatColor c = at(canvas, x, y);
      out += c == kBack ? '.' : c == kInk ? '#' : c == kFill ? 'o' : '?';
    }
    out += '\n';
  }
  return out;
}

inline int count_of(const CanvasPtr& canvas, PlatColor color) {
  int n = 0;
  for (int y = 0; y < canvas->height; ++y) {
    for (int x = 0; x < canvas->width; ++x)
      n += at(canvas, x, y) == color;
  }
  return n;
}

// Smallest box holding every pixel of the colour (inclusive); left > right
// when there is none.
struct Extent {
  int left = 1, top = 1, right = 0, bottom = 0;
};
inline Extent extent_of(const CanvasPtr& canvas, PlatColor color) {
  Extent e{canvas->width, canvas->height, -1, -1};
  for (int y = 0; y < canvas->height; ++y) {
    for (int x = 0; x < canvas->width; ++x) {
      if (at(canvas, x, y) != color)
        continue;
      e.left = std::min(e.left, x);
      e.right = std::max(e.right, x);
      e.top = std::min(e.top, y);
      e.bottom = std::max(e.bottom, y);
    }
  }
  return e;
}
