// Helpers for the text tests: canvases with a known background and the box
// of pixels a drawing changed.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "runtime/platform/render/render.h"
#include "tests/support/canvas_ptr.h"

struct FontDeleter {
  void operator()(PlatFont* font) const { plat->draw->delete_font(font); }
};
using FontPtr = std::unique_ptr<PlatFont, FontDeleter>;

inline CanvasPtr filled_canvas(int width, int height, PlatColor color) {
  CanvasPtr canvas(render_canvas_create(width, height));
  plat->draw->fill_rect(canvas.get(), 0, 0, width, height, color);
  return canvas;
}

// The smallest box holding every pixel that differs from the colour; empty
// (left >= right) when none does.
struct Box {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int count = 0;
  bool empty() const { return count == 0; }
};

inline Box changed_box(const PlatCanvas* canvas, PlatColor color) {
  Box box{canvas->width, canvas->height, 0, 0, 0};
  for (int y = 0; y < canvas->height; ++y) {
    for (int x = 0; x < canvas->width; ++x) {
      if (render_canvas_pixel(canvas, x, y) == color)
        continue;
      box.left = std::min(box.left, x);
      box.top = std::min(box.top, y);
      box.right = std::max(box.right, x + 1);
      box.bottom = std::max(box.bottom, y + 1);
      ++box.count;
    }
  }
  return box;
}

inline int count_color(const PlatCanvas* canvas, PlatColor color) {
  int n = 0;
  for (int y = 0; y < canvas->height; ++y) {
    for (int x = 0; x < canvas->width; ++x)
      n += render_canvas_pixel(canvas, x, y) == color;
  }
  return n;
}

inline int extent_width(PlatCanvas* canvas, PlatFont* font, const std::string& text) {
  int width = -1;
  int height = -1;
  plat->draw->text_extent(canvas, font, text.data(), static_cast<int>(text.size()), &width, &height);
  return width;
}

inline void draw(PlatCanvas* canvas, PlatFont* font, std::int64_t x, std::int64_t y,
                 const std::string& text, PlatColor ink, bool opaque = false,
                 PlatColor background = 0) {
  plat->draw->text_out(canvas, font, x, y, text.data(), static_cast<int>(text.size()), ink, opaque,
                background);
}
