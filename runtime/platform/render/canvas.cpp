// Software canvases: creation, pixel access, fills, copies and scrolling.
#include <algorithm>
#include <climits>
#include <cstring>

#include "runtime/platform/render/render.h"

#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

namespace {

std::size_t pixel_count(int width, int height) {
  return static_cast<std::size_t>(std::max(width, 0)) *
         static_cast<std::size_t>(std::max(height, 0));
}

// The first index where a and b differ, or n.
std::size_t first_difference(const std::uint32_t* a, const std::uint32_t* b, std::size_t n) {
  std::size_t i = 0;
  while (i < n && a[i] == b[i])
    ++i;
  return i;
}

// One past the last index where a and b differ (they differ somewhere).
std::size_t end_of_difference(const std::uint32_t* a, const std::uint32_t* b, std::size_t n) {
  std::size_t end = n;
  while (end > 0 && a[end - 1] == b[end - 1])
    --end;
  return end;
}

// A clipped box given by its corner and size, all within int.
RenderBox box_of(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) {
  return {static_cast<int>(x), static_cast<int>(y), static_cast<int>(x + w),
          static_cast<int>(y + h)};
}

bool rows_equal(const std::uint32_t* a, const std::uint32_t* b, std::size_t n) {
#if defined(__wasm_simd128__)
  // Sixteen pixels a turn, in four independent vectors, so that the loads
  // are not held up by one chain of ORs.
  v128_t d0 = wasm_i32x4_splat(0), d1 = d0, d2 = d0, d3 = d0;
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    d0 = wasm_v128_or(d0, wasm_v128_xor(wasm_v128_load(a + i), wasm_v128_load(b + i)));
    d1 = wasm_v128_or(d1, wasm_v128_xor(wasm_v128_load(a + i + 4), wasm_v128_load(b + i + 4)));
    d2 = wasm_v128_or(d2, wasm_v128_xor(wasm_v128_load(a + i + 8), wasm_v128_load(b + i + 8)));
    d3 = wasm_v128_or(d3, wasm_v128_xor(wasm_v128_load(a + i + 12), wasm_v128_load(b + i + 12)));
  }
  std::uint32_t rest = 0;
  for (; i < n; ++i)
    rest |= a[i] ^ b[i];
  return rest == 0 && !wasm_v128_any_true(wasm_v128_or(wasm_v128_or(d0, d1), wasm_v128_or(d2, d3)));
#else
  return std::memcmp(a, b, n * sizeof(std::uint32_t)) == 0;
#endif
}

}  // namespace

PlatCanvas* render_canvas_create(int width, int height) {
  auto* canvas = new PlatCanvas;
  canvas->width = std::max(width, 0);
  canvas->height = std::max(height, 0);
  canvas->pixels.assign(pixel_count(width, height), 0);
  return canvas;
}

void render_canvas_destroy(PlatCanvas* canvas) {
  delete canvas;
}

void render_canvas_resize(PlatCanvas* canvas, int width, int height) {
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
  canvas->damage = {0, 0, width, height};
}

PlatColor render_canvas_pixel(const PlatCanvas* canvas, int x, int y) {
  if (!canvas || x < 0 || y < 0 || x >= canvas->width || y >= canvas->height)
    return 0;
  return render_color_from_pixel(
      canvas->pixels[static_cast<std::size_t>(y) * canvas->width + static_cast<std::size_t>(x)]);
}

void render_canvas_touch(PlatCanvas* canvas) {
  if (canvas)
    render_canvas_damage(canvas, {0, 0, canvas->width, canvas->height});
}

void render_canvas_damage(PlatCanvas* canvas, RenderBox box) {
  if (!canvas)
    return;
  box = {std::max(box.x0, 0), std::max(box.y0, 0), std::min(box.x1, canvas->width),
         std::min(box.y1, canvas->height)};
  if (box.empty())
    return;
  RenderBox& d = canvas->damage;
  d = d.empty() ? box
                : RenderBox{std::min(d.x0, box.x0), std::min(d.y0, box.y0), std::max(d.x1, box.x1),
                            std::max(d.y1, box.y1)};
  if (canvas->changed)
    canvas->changed(canvas->changed_context);
}

RenderBox render_canvas_take_damage(PlatCanvas* canvas) {
  if (!canvas)
    return {};
  const RenderBox taken = canvas->damage;
  canvas->damage = {};
  return taken;
}

PlatCanvas* render_create_surface(PlatCanvas*, int width, int height) {
  return render_canvas_create(width, height);
}

void render_blit(PlatCanvas* dst, int dst_x, int dst_y, int width, int height,
                 const PlatCanvas* src, int src_x, int src_y) {
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
  if (src == dst) {
    for (std::int64_t row = 0; row < h; ++row) {
      const std::uint32_t* from = src->pixels.data() + (sy + row) * src->width + sx;
      std::uint32_t* to = dst->pixels.data() + (dy + row) * dst->width + dx;
      std::memmove(to, from, static_cast<std::size_t>(w) * sizeof(std::uint32_t));
    }
    render_canvas_damage(dst, box_of(dx, dy, w, h));
    return;
  }
  // The runtime copies its whole surface after every event, mostly as it
  // was: only the pixels that differ are written, and only they are damage,
  // so an unchanged copy costs the toolkit nothing.
  const auto n = static_cast<std::size_t>(w);
  RenderBox changed{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (std::int64_t row = 0; row < h; ++row) {
    const std::uint32_t* from = src->pixels.data() + (sy + row) * src->width + sx;
    std::uint32_t* to = dst->pixels.data() + (dy + row) * dst->width + dx;
    // Rows that differ are few. The C library's comparison is the fast one
    // natively; in WebAssembly it takes 4 bytes at a time, where rows_equal
    // takes 64.
    if (rows_equal(from, to, n))
      continue;
    const std::size_t first = first_difference(from, to, n);
    const std::size_t end = end_of_difference(from, to, n);
    std::memcpy(to + first, from + first, (end - first) * sizeof(std::uint32_t));
    const int y = static_cast<int>(dy + row);
    changed = {std::min(changed.x0, static_cast<int>(dx + static_cast<std::int64_t>(first))),
               std::min(changed.y0, y),
               std::max(changed.x1, static_cast<int>(dx + static_cast<std::int64_t>(end))), y + 1};
  }
  if (!changed.empty())
    render_canvas_damage(dst, changed);
}

void render_scroll(PlatCanvas* canvas, int dy) {
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
  render_canvas_touch(canvas);
}

void render_fill_rect(PlatCanvas* canvas, std::int64_t left, std::int64_t top, std::int64_t right,
                      std::int64_t bottom, PlatColor color) {
  if (!canvas)
    return;
  left = std::max<std::int64_t>(left, 0);
  top = std::max<std::int64_t>(top, 0);
  right = std::min<std::int64_t>(right, canvas->width);
  bottom = std::min<std::int64_t>(bottom, canvas->height);
  if (left >= right || top >= bottom)
    return;
  const std::uint32_t pixel = render_pixel_from_color(color);
  for (std::int64_t y = top; y < bottom; ++y) {
    std::uint32_t* row = canvas->pixels.data() + y * canvas->width;
    render_fill_span(row + left, static_cast<std::size_t>(right - left), pixel);
  }
  render_canvas_damage(canvas, box_of(left, top, right - left, bottom - top));
}

void render_set_pixel(PlatCanvas* canvas, std::int64_t x, std::int64_t y, PlatColor color) {
  if (!canvas || x < 0 || y < 0 || x >= canvas->width || y >= canvas->height)
    return;
  canvas->pixels[static_cast<std::size_t>(y * canvas->width + x)] = render_pixel_from_color(color);
  render_canvas_damage(canvas, box_of(x, y, 1, 1));
}
