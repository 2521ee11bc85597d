// Software canvases: creation, pixel access, fills, copies and scrolling.
#include <algorithm>
#include <cstring>

#include "runtime/platform/soft/soft.h"

namespace {

std::size_t pixel_count(int width, int height) {
  return static_cast<std::size_t>(std::max(width, 0)) *
         static_cast<std::size_t>(std::max(height, 0));
}

}  // namespace

PlatCanvas* soft_canvas_create(int width, int height) {
  auto* canvas = new PlatCanvas;
  canvas->width = std::max(width, 0);
  canvas->height = std::max(height, 0);
  canvas->pixels.assign(pixel_count(width, height), 0);
  return canvas;
}

void soft_canvas_destroy(PlatCanvas* canvas) {
  delete canvas;
}

void soft_canvas_resize(PlatCanvas* canvas, int width, int height) {
  if (!canvas)
    return;
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == canvas->width && height == canvas->height)
    return;
  std::vector<std::uint32_t> pixels(pixel_count(width, height), 0);
  const int keep_w = std::min(width, canvas->width);
  const int keep_h = std::min(height, canvas->height);
  for (int y = 0; y < keep_h; ++y) {
    std::copy_n(canvas->pixels.begin() + static_cast<std::ptrdiff_t>(y) * canvas->width, keep_w,
                pixels.begin() + static_cast<std::ptrdiff_t>(y) * width);
  }
  canvas->pixels = std::move(pixels);
  canvas->width = width;
  canvas->height = height;
}

PlatColor soft_canvas_pixel(const PlatCanvas* canvas, int x, int y) {
  if (!canvas || x < 0 || y < 0 || x >= canvas->width || y >= canvas->height)
    return 0;
  return soft_color_from_pixel(
      canvas->pixels[static_cast<std::size_t>(y) * canvas->width + static_cast<std::size_t>(x)]);
}

void soft_canvas_touch(PlatCanvas* canvas) {
  if (canvas && canvas->changed)
    canvas->changed(canvas->changed_context);
}

PlatCanvas* soft_create_surface(PlatCanvas*, int width, int height) {
  return soft_canvas_create(width, height);
}

void soft_blit(PlatCanvas* dst, int dst_x, int dst_y, int width, int height, const PlatCanvas* src,
               int src_x, int src_y) {
  if (!dst || !src || width <= 0 || height <= 0)
    return;
  // Clip the copied box against both canvases, in 64 bits.
  std::int64_t sx = src_x, sy = src_y, dx = dst_x, dy = dst_y, w = width, h = height;
  auto clip_start = [&](std::int64_t& a, std::int64_t& b, std::int64_t& len) {
    const std::int64_t cut = std::max<std::int64_t>({0, -a, -b});
    a += cut;
    b += cut;
    len -= cut;
  };
  clip_start(sx, dx, w);
  clip_start(sy, dy, h);
  w = std::min(
      {w, static_cast<std::int64_t>(src->width) - sx, static_cast<std::int64_t>(dst->width) - dx});
  h = std::min({h, static_cast<std::int64_t>(src->height) - sy,
                static_cast<std::int64_t>(dst->height) - dy});
  if (w <= 0 || h <= 0)
    return;
  for (std::int64_t row = 0; row < h; ++row) {
    const std::uint32_t* from = src->pixels.data() + (sy + row) * src->width + sx;
    std::uint32_t* to = dst->pixels.data() + (dy + row) * dst->width + dx;
    std::memmove(to, from, static_cast<std::size_t>(w) * sizeof(std::uint32_t));
  }
  soft_canvas_touch(dst);
}

void soft_scroll(PlatCanvas* canvas, int dy) {
  if (!canvas || dy == 0 || canvas->width == 0)
    return;
  const std::int64_t rows = canvas->height;
  const std::int64_t shift = dy;
  if (shift >= rows || -shift >= rows)
    return;  // everything moves out; nothing stays on view
  const std::size_t row_len = static_cast<std::size_t>(canvas->width);
  std::uint32_t* base = canvas->pixels.data();
  if (shift < 0) {
    std::memmove(base, base + (-shift) * canvas->width,
                 static_cast<std::size_t>(rows + shift) * row_len * sizeof(std::uint32_t));
  } else {
    std::memmove(base + shift * canvas->width, base,
                 static_cast<std::size_t>(rows - shift) * row_len * sizeof(std::uint32_t));
  }
  soft_canvas_touch(canvas);
}

void soft_fill_rect(PlatCanvas* canvas, std::int64_t left, std::int64_t top, std::int64_t right,
                    std::int64_t bottom, PlatColor color) {
  if (!canvas)
    return;
  left = std::max<std::int64_t>(left, 0);
  top = std::max<std::int64_t>(top, 0);
  right = std::min<std::int64_t>(right, canvas->width);
  bottom = std::min<std::int64_t>(bottom, canvas->height);
  if (left >= right || top >= bottom)
    return;
  const std::uint32_t pixel = soft_pixel_from_color(color);
  for (std::int64_t y = top; y < bottom; ++y) {
    std::uint32_t* row = canvas->pixels.data() + y * canvas->width;
    std::fill(row + left, row + right, pixel);
  }
  soft_canvas_touch(canvas);
}

void soft_set_pixel(PlatCanvas* canvas, std::int64_t x, std::int64_t y, PlatColor color) {
  if (!canvas || x < 0 || y < 0 || x >= canvas->width || y >= canvas->height)
    return;
  canvas->pixels[static_cast<std::size_t>(y * canvas->width + x)] = soft_pixel_from_color(color);
  soft_canvas_touch(canvas);
}
