// The rasteriser: shapes on our canvases, following the Windows drawing
// rules. What every shape file shares: wide-integer helpers, spans, the
// clipped target, boxes and the pen along a path.
//
// Pixel rules
// - A box [left, right) x [top, bottom) covers the pixels left..right-1 and
//   top..bottom-1. Reversed corners are put in order; an empty box draws nothing.
// - Rectangle: a thin pen (width 0 or 1) draws the one-pixel frame on the box's
//   boundary pixels and the brush fills what is inside it. Without a pen the
//   brush covers [left, right-1) x [top, bottom-1), one pixel less each way.
// - Ellipse: the path is the ellipse through the centres of the box's
//   outermost pixels (one pixel narrower and lower than the box). A thin pen
//   lights every pixel whose diamond (the points nearer its centre than half a
//   pixel in |dx| + |dy|) the path passes through, as it does along a line; the
//   brush fills the pixels whose whole diamond lies inside the path. So a box
//   of 2r+1 pixels gives a disc 2r+1 pixels across, symmetric about its middle
//   pixel, and the outline is closed and one pixel wide. Where the path passes
//   exactly halfway between two pixels, the upper of two above each other, or
//   the left of two side by side, is lit. A box one pixel wide or high is a
//   line of its pixels. Without a pen the brush covers the filled shape of
//   the box made one pixel smaller at the right and bottom.
// - Polygon: alternate (even-odd) fill of the pixels whose centres lie inside;
//   a centre on a left edge or at a top vertex counts inside, on a right edge or
//   at a bottom vertex outside. A thin pen then draws a thin line along every
//   edge, the closing one included, which covers every vertex.
// - Thin line: one pixel per step along the major axis, from the start up to but
//   not including the end point. The minor coordinate is the one nearest the
//   true line; a tie goes to the smaller coordinate, so a line and its reverse
//   light the same pixels apart from their ends.
// Wide pens (width w > 1), as the platform's solid pens draw them:
// - The pen's path runs through the centres of the pixels a thin pen would draw
//   on (the frame of a rectangle, the vertices of a polygon, the ends of a line).
//   A pixel is drawn when its centre lies within w/2 of the path, which gives
//   round caps and round joins: an outer corner loses its corner pixel from
//   w = 4 on. For an even width the path is taken through the top-left corners
//   of those pixels instead, so w = 2k covers k pixels on the outer side of a
//   top or left edge and k on the inner side of a bottom or right edge. A wide
//   line includes its end point, under its round cap.
// - Ellipse: the band between the ellipses whose semi-axes are those of the
//   path ellipse (through the centres of the thin outline's extreme pixels)
//   plus and minus w/2, with the same half-pixel shift for an even width. The
//   brush fills what lies inside the band.
// - Fill first, pen on top.
//
// Limits: coordinates are clamped to +-2^40 and widths to 2^43, far beyond any
// sum of 32-bit values; within that range every decision is exact integer
// arithmetic (128 bits, 256 for the ellipse test). Rows are clipped to the
// canvas before any loop and spans to its columns, so a call costs at most a
// few operations per canvas row (per row and edge for polygons and wide pens).
#pragma once

#include <algorithm>
#include <cstdint>

#include "runtime/platform/render/render.h"

namespace raster {

using i64 = std::int64_t;
using u64 = std::uint64_t;
using i128 = __int128;
using u128 = unsigned __int128;

inline constexpr i64 kCoordLimit = i64{1} << 40;
inline constexpr i64 kWidthLimit = i64{1} << 43;

inline i64 clamp_coord(i64 v) {
  return std::clamp(v, -kCoordLimit, kCoordLimit);
}

// Floor and ceiling of n / d for d > 0.
inline i128 floor_div(i128 n, i128 d) {
  i128 q = n / d;
  if (n % d != 0 && n < 0)
    --q;
  return q;
}
inline i128 ceil_div(i128 n, i128 d) {
  return -floor_div(-n, d);
}

inline u128 abs128(i128 v) {
  return v < 0 ? static_cast<u128>(-v) : static_cast<u128>(v);
}

// Whether a * b < c * d, through a 256-bit product.
struct U256 {
  u128 hi, lo;
};
inline U256 mul_wide(u128 a, u128 b) {
  const u64 a0 = static_cast<u64>(a), a1 = static_cast<u64>(a >> 64);
  const u64 b0 = static_cast<u64>(b), b1 = static_cast<u64>(b >> 64);
  const u128 p00 = static_cast<u128>(a0) * b0, p01 = static_cast<u128>(a0) * b1;
  const u128 p10 = static_cast<u128>(a1) * b0, p11 = static_cast<u128>(a1) * b1;
  const u128 mid = (p00 >> 64) + static_cast<u64>(p01) + static_cast<u64>(p10);
  return {p11 + (p01 >> 64) + (p10 >> 64) + (mid >> 64), (mid << 64) | static_cast<u64>(p00)};
}
inline bool product_less(u128 a, u128 b, u128 c, u128 d) {
  // The common case, everything on the canvas's scale: 64-bit products.
  if (((a | b | c | d) >> 32) == 0)
    return static_cast<u64>(a) * static_cast<u64>(b) < static_cast<u64>(c) * static_cast<u64>(d);
  if ((a | b | c | d) >> 64 == 0)  // both products fit in 128 bits
    return a * b < c * d;
  const U256 x = mul_wide(a, b), y = mul_wide(c, d);
  return x.hi < y.hi || (x.hi == y.hi && x.lo < y.lo);
}

// An inclusive run of pixels; empty when l > r.
struct Span {
  i64 l = 1, r = 0;
  bool empty() const { return l > r; }
};

// The canvas being drawn on, with clipped span fills.
struct Target {
  PlatCanvas* canvas;
  i64 w, h;
  bool changed = false;

  explicit Target(PlatCanvas* c) : canvas(c), w(c->width), h(c->height) {}
  bool usable() const { return w > 0 && h > 0; }

  void fill(i64 y, i64 x0, i64 x1, std::uint32_t pixel) {
    if (y < 0 || y >= h)
      return;
    x0 = std::max<i64>(x0, 0);
    x1 = std::min<i64>(x1, w - 1);
    if (x0 > x1)
      return;
    std::uint32_t* row = canvas->pixels.data() + y * w;
    render_fill_span(row + x0, static_cast<std::size_t>(x1 - x0 + 1), pixel);
    changed = true;
  }
  void fill(i64 y, Span s, std::uint32_t pixel) { fill(y, s.l, s.r, pixel); }
  // Column x over the rows, clipped.
  void column(i64 x, Span rows, std::uint32_t pixel) {
    rows = {std::max<i64>(rows.l, 0), std::min(rows.r, h - 1)};
    if (x < 0 || x >= w || rows.empty())
      return;
    std::uint32_t* p = canvas->pixels.data() + rows.l * w + x;
    for (i64 q = rows.l; q <= rows.r; ++q, p += w)
      *p = pixel;
    changed = true;
  }
  void plot(i64 x, i64 y, std::uint32_t pixel) {
    if (x < 0 || y < 0 || x >= w || y >= h)
      return;
    canvas->pixels[static_cast<std::size_t>(y * w + x)] = pixel;
    changed = true;
  }
  void finish() {
    if (changed)
      render_canvas_touch(canvas);
  }
};

// Canvas rows [lo, hi] clipped; empty when lo > hi.
inline Span clip_rows(const Target& t, i64 lo, i64 hi) {
  return {std::max<i64>(lo, 0), std::min(hi, t.h - 1)};
}

inline bool thin(const PlatPen& pen) {
  return pen.width <= 1;
}
inline i64 pen_width(const PlatPen& pen) {
  return std::min(pen.width, kWidthLimit);
}

struct Box {
  i64 l, t, r, b;
};

// Ordered and clamped; false when it covers nothing.
inline bool make_box(i64 left, i64 top, i64 right, i64 bottom, Box* box) {
  left = clamp_coord(left);
  right = clamp_coord(right);
  top = clamp_coord(top);
  bottom = clamp_coord(bottom);
  if (left > right)
    std::swap(left, right);
  if (top > bottom)
    std::swap(top, bottom);
  *box = {left, top, right, bottom};
  return left < right && top < bottom;
}

// A pen along the path through the points; closed joins the last to the
// first (raster_lines.cpp).
void stroke_path(Target& t, const PlatPoint* pts, int count, bool closed, const PlatPen& pen);

}  // namespace raster
