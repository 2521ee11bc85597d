// Shapes on software canvases, following the Windows drawing rules.
//
// Pixel rules
// - A box [left, right) x [top, bottom) covers the pixels left..right-1 and
//   top..bottom-1. Reversed corners are put in order; an empty box draws nothing.
// - Rectangle: a thin pen (width 0 or 1) draws the one-pixel frame on the box's
//   boundary pixels and the brush fills what is inside it. Without a pen the
//   brush covers [left, right-1) x [top, bottom-1), one pixel less each way.
// - Ellipse: the shape is every pixel whose centre lies strictly inside the
//   ellipse inscribed in the box's outer edges, so a box of 2r+1 pixels gives a
//   disc 2r+1 pixels across, symmetric about its middle pixel. A thin pen draws
//   the pixels of the shape that have a 4-neighbour outside it (a closed,
//   one-pixel curve); the brush fills the rest. Without a pen the brush covers
//   the shape of the box made one pixel smaller at the right and bottom.
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
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "runtime/platform/soft/soft.h"

namespace {

using i64 = std::int64_t;
using u64 = std::uint64_t;
using i128 = __int128;
using u128 = unsigned __int128;

constexpr i64 kCoordLimit = i64{1} << 40;
constexpr i64 kWidthLimit = i64{1} << 43;

i64 clamp_coord(i64 v) {
  return std::clamp(v, -kCoordLimit, kCoordLimit);
}

// Floor and ceiling of n / d for d > 0.
i128 floor_div(i128 n, i128 d) {
  i128 q = n / d;
  if (n % d != 0 && n < 0)
    --q;
  return q;
}
i128 ceil_div(i128 n, i128 d) {
  return -floor_div(-n, d);
}

u128 abs128(i128 v) {
  return v < 0 ? static_cast<u128>(-v) : static_cast<u128>(v);
}

// Whether a * b < c * d, through a 256-bit product.
struct U256 {
  u128 hi, lo;
};
U256 mul_wide(u128 a, u128 b) {
  const u64 a0 = static_cast<u64>(a), a1 = static_cast<u64>(a >> 64);
  const u64 b0 = static_cast<u64>(b), b1 = static_cast<u64>(b >> 64);
  const u128 p00 = static_cast<u128>(a0) * b0, p01 = static_cast<u128>(a0) * b1;
  const u128 p10 = static_cast<u128>(a1) * b0, p11 = static_cast<u128>(a1) * b1;
  const u128 mid = (p00 >> 64) + static_cast<u64>(p01) + static_cast<u64>(p10);
  return {p11 + (p01 >> 64) + (p10 >> 64) + (mid >> 64), (mid << 64) | static_cast<u64>(p00)};
}
bool product_less(u128 a, u128 b, u128 c, u128 d) {
  // The common case, everything on the canvas's scale: 64-bit products.
  if (((a | b | c | d) >> 32) == 0)
    return static_cast<u64>(a) * static_cast<u64>(b) < static_cast<u64>(c) * static_cast<u64>(d);
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
    soft_fill_span(row + x0, static_cast<std::size_t>(x1 - x0 + 1), pixel);
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
      soft_canvas_touch(canvas);
  }
};

// Canvas rows [lo, hi] clipped; empty when lo > hi.
Span clip_rows(const Target& t, i64 lo, i64 hi) {
  return {std::max<i64>(lo, 0), std::min(hi, t.h - 1)};
}

bool thin(const PlatPen& pen) {
  return pen.width <= 1;
}
i64 pen_width(const PlatPen& pen) {
  return std::min(pen.width, kWidthLimit);
}

// ---------------------------------------------------------------------------
// Thin lines

void thin_line(Target& t, i64 x0, i64 y0, i64 x1, i64 y1, std::uint32_t pixel) {
  const i64 dx = x1 - x0, dy = y1 - y0;
  const i64 adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  const bool x_major = adx >= ady;
  // Major axis m, minor axis n: pixel i is (m0 + i*sm, n0 + sn*k(i)).
  const i64 steps = x_major ? adx : ady;  // the end point itself is not drawn
  if (steps == 0)
    return;
  const i64 m0 = x_major ? x0 : y0, n0 = x_major ? y0 : x0;
  const i64 sm = (x_major ? dx : dy) < 0 ? -1 : 1;
  const i64 sn = (x_major ? dy : dx) < 0 ? -1 : 1;
  const i64 a = x_major ? ady : adx, b = steps;
  const i64 major_len = x_major ? t.w : t.h, minor_len = x_major ? t.h : t.w;
  // k(i) = round(i*a/b): floor((2ia + b - tie) / 2b); a tie rounds toward the
  // smaller coordinate, so down when the minor axis grows and up when it shrinks.
  const i64 tie = sn > 0 ? 1 : 0;
  // Steps whose major coordinate lies on the canvas.
  i64 first = sm > 0 ? -m0 : m0 - (major_len - 1);
  i64 last = sm > 0 ? major_len - 1 - m0 : m0;
  first = std::max<i64>(first, 0);
  last = std::min(last, steps - 1);
  if (first > last)
    return;
  const i128 start = i128{2} * first * a + b - tie;
  i64 k = static_cast<i64>(start / (2 * b));
  i64 err = static_cast<i64>(start % (2 * b));
  for (i64 i = first; i <= last; ++i) {
    const i64 m = m0 + i * sm, n = n0 + sn * k;
    if (n >= 0 && n < minor_len) {
      if (x_major) {
        t.canvas->pixels[static_cast<std::size_t>(n * t.w + m)] = pixel;
      } else {
        t.canvas->pixels[static_cast<std::size_t>(m * t.w + n)] = pixel;
      }
      t.changed = true;
    }
    err += 2 * a;
    if (err >= 2 * b) {
      err -= 2 * b;
      ++k;
    }
  }
}

// ---------------------------------------------------------------------------
// Wide pens: the set of pixels whose centre lies within w/2 of a segment (a
// capsule), row by row. Everything is in doubled units, so that half pixels
// are integers: the pixel (p, q) samples at (2p + s, 2q + s), s being 1 for
// an even width (the path moved to the pixels' top-left corners), and the
// radius is w.

struct Capsule {
  i64 ax, ay, bx, by;  // doubled path points
  i64 s;               // sample offset
  u128 r2;             // squared radius, doubled units
};

Capsule make_capsule(PlatPoint a, PlatPoint b, i64 width) {
  return {2 * a.x,
          2 * a.y,
          2 * b.x,
          2 * b.y,
          width % 2 == 0 ? 1 : 0,
          static_cast<u128>(width) * static_cast<u128>(width)};
}

bool capsule_covers(const Capsule& c, i64 p, i64 ys) {
  const i64 x = 2 * p + c.s;
  const i128 vx = x - c.ax, vy = ys - c.ay;
  const i128 dx = c.bx - c.ax, dy = c.by - c.ay;
  const i128 dot = vx * dx + vy * dy;
  const i128 len2 = dx * dx + dy * dy;
  if (dot <= 0)
    return static_cast<u128>(vx * vx + vy * vy) <= c.r2;
  if (dot >= len2) {
    const i128 wx = x - c.bx, wy = ys - c.by;
    return static_cast<u128>(wx * wx + wy * wy) <= c.r2;
  }
  const u128 cross = abs128(vx * dy - vy * dx);
  return !product_less(c.r2, static_cast<u128>(len2), cross, cross);
}

// The pixels of canvas row q inside the capsule. The squared distance to the
// segment is convex along the row, so the covered pixels form one run around
// the point of the row nearest the segment; its ends are found by bisection.
Span capsule_row(const Target& t, const Capsule& c, i64 q) {
  const i64 ys = 2 * q + c.s;
  // The real x of the row nearest the segment, as a pixel index (floor).
  i64 near;
  const i64 ylo = std::min(c.ay, c.by), yhi = std::max(c.ay, c.by);
  if (c.ay != c.by && ys >= ylo && ys <= yhi) {
    i128 num = i128{c.ax - c.s} * (c.by - c.ay) + i128{ys - c.ay} * (c.bx - c.ax);
    i128 den = i128{2} * (c.by - c.ay);
    if (den < 0) {
      num = -num;
      den = -den;
    }
    near = static_cast<i64>(floor_div(num, den));
  } else {
    const i64 ex = (ys < ylo) == (c.ay <= c.by) ? c.ax : c.bx;
    near = static_cast<i64>(floor_div(ex - c.s, 2));
  }
  i64 seed = -1;
  for (i64 p : {near, near + 1}) {
    p = std::clamp<i64>(p, 0, t.w - 1);
    if (capsule_covers(c, p, ys)) {
      seed = p;
      break;
    }
  }
  if (seed < 0)
    return {};
  i64 lo = 0, hi = seed;  // first covered pixel in [lo, hi]
  while (lo < hi) {
    const i64 mid = lo + (hi - lo) / 2;
    if (capsule_covers(c, mid, ys)) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  Span run{lo, seed};
  lo = seed;
  hi = t.w - 1;  // last covered pixel in [lo, hi]
  while (lo < hi) {
    const i64 mid = hi - (hi - lo) / 2;
    if (capsule_covers(c, mid, ys)) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  run.r = lo;
  return run;
}

void wide_segment(Target& t, PlatPoint a, PlatPoint b, i64 width, std::uint32_t pixel) {
  const Capsule c = make_capsule(a, b, width);
  // Rows whose sample lies within the radius of the segment's y range.
  const i64 ylo = std::min(c.ay, c.by) - width, yhi = std::max(c.ay, c.by) + width;
  const Span rows = clip_rows(t, static_cast<i64>(ceil_div(ylo - c.s, 2)),
                              static_cast<i64>(floor_div(yhi - c.s, 2)));
  for (i64 q = rows.l; q <= rows.r; ++q)
    t.fill(q, capsule_row(t, c, q), pixel);
}

// A pen along the path through the points; closed joins the last to the first.
void stroke_path(Target& t, const PlatPoint* pts, int count, bool closed, const PlatPen& pen) {
  const std::uint32_t pixel = soft_pixel_from_color(pen.color);
  const int segments = closed ? count : count - 1;
  for (int i = 0; i < segments; ++i) {
    const PlatPoint a = pts[i], b = pts[(i + 1) % count];
    if (thin(pen)) {
      thin_line(t, a.x, a.y, b.x, b.y, pixel);
    } else {
      wide_segment(t, a, b, pen_width(pen), pixel);
    }
  }
}

// ---------------------------------------------------------------------------
// Ellipses: pixel (p, q) is inside when (X/a2)^2 + (Y/b2)^2 < 1, with
// X = 2p - cx2 and Y = 2q - cy2 (doubled centre and semi-axes).

struct Ellipse {
  i64 cx2, cy2, a2, b2;
};

// The span of a row |Y| = ay away from the centre, in the unsigned type U:
// 64 bits when both axes are below 2^15 (the products then stay below 2^62),
// else 128 bits with 256-bit comparisons.
template <typename U>
Span ellipse_span_in(const Ellipse& e, i64 ay) {
  const U m = static_cast<U>(e.b2 - ay) * static_cast<U>(e.b2 + ay);
  const U aa = static_cast<U>(e.a2) * static_cast<U>(e.a2);
  const U bb = static_cast<U>(e.b2) * static_cast<U>(e.b2);
  // X^2 * b2^2 < a2^2 * (b2^2 - Y^2)
  auto inside = [&](i64 p) {
    if constexpr (sizeof(U) == sizeof(u64)) {
      const i64 d = 2 * p - e.cx2;
      const U x = static_cast<U>(d < 0 ? -d : d);
      return x * x * bb < aa * m;
    } else {
      const U x = static_cast<U>(abs128(i128{2} * p - e.cx2));
      return product_less(x * x, bb, aa, m);
    }
  };
  // The first p with X >= 0.
  const i64 centre = (e.cx2 >> 1) + (e.cx2 & 1);
  if (!inside(centre))
    return {};
  // The right end from the real half-width, then settled exactly.
  const double half =
      static_cast<double>(e.a2) * std::sqrt(static_cast<double>(m)) / static_cast<double>(e.b2);
  i64 p = centre + static_cast<i64>((half - static_cast<double>(2 * centre - e.cx2)) / 2);
  p = std::max(p, centre);
  while (inside(p + 1))
    ++p;
  while (!inside(p))
    --p;
  return {e.cx2 - p, p};  // symmetric about the centre
}

Span ellipse_span(const Ellipse& e, i64 q) {
  if (e.a2 <= 0 || e.b2 <= 0)
    return {};
  const i64 y = 2 * q - e.cy2;
  const i64 ay = y < 0 ? -y : y;
  if (ay >= e.b2)
    return {};
  constexpr i64 kSmallAxis = i64{1} << 15;
  if (e.a2 < kSmallAxis && e.b2 < kSmallAxis)
    return ellipse_span_in<u64>(e, ay);
  return ellipse_span_in<u128>(e, ay);
}

// Canvas rows that the ellipse may reach.
Span ellipse_rows(const Target& t, const Ellipse& e) {
  return clip_rows(t, static_cast<i64>(floor_div(e.cy2 - e.b2, 2)) + 1,
                   static_cast<i64>(ceil_div(e.cy2 + e.b2, 2)) - 1);
}

// Fills the shape in one colour. A row's span depends only on its distance
// from the centre, so rows are taken from the centre outwards, each with its
// mirror. On the way the spans only shrink, so on canvas-sized ellipses each
// right end is found from the one before in a step or two.
void fill_ellipse(Target& t, const Ellipse& e, std::uint32_t pixel) {
  const Span rows = ellipse_rows(t, e);
  if (rows.empty())
    return;
  // The rows at or below the centre that are on the canvas or whose mirror
  // is: one run, as the canvas lies on one side of the centre or covers it.
  const i64 first = (e.cy2 >> 1) + (e.cy2 & 1);
  i64 lo = first, hi = std::max(rows.r, e.cy2 - rows.l);
  if (rows.l >= first) {
    lo = rows.l;
    hi = rows.r;
  } else if (rows.r < first) {
    lo = e.cy2 - rows.r;
    hi = e.cy2 - rows.l;
  }
  constexpr i64 kSmallAxis = i64{1} << 15;
  const bool small = e.a2 < kSmallAxis && e.b2 < kSmallAxis;
  const u64 aa = small ? static_cast<u64>(e.a2 * e.a2) : 0;
  const u64 bb = small ? static_cast<u64>(e.b2 * e.b2) : 0;
  const i64 centre = (e.cx2 >> 1) + (e.cx2 & 1);
  Span span;
  for (i64 q = lo; q <= hi; ++q) {
    if (!small || q == lo) {
      span = ellipse_span(e, q);
    } else if (!span.empty()) {
      // The exact test of ellipse_span_in, in 64 bits.
      const i64 ay = 2 * q - e.cy2;
      const u64 limit = ay >= e.b2 ? 0 : aa * static_cast<u64>((e.b2 - ay) * (e.b2 + ay));
      i64 p = span.r;
      const i64 give_up = std::max(centre, p - 8) - 1;  // then a fresh search
      for (; p > give_up; --p) {
        const u64 x = static_cast<u64>(2 * p - e.cx2);
        if (x * x * bb < limit)
          break;
      }
      if (p > give_up) {
        span = {e.cx2 - p, p};
      } else {
        span = p < centre ? Span{} : ellipse_span(e, q);
      }
    }
    if (span.empty())
      break;  // every row further out is empty too
    if (q >= rows.l && q <= rows.r)
      t.fill(q, span, pixel);
    const i64 mirror = e.cy2 - q;
    if (mirror != q && mirror >= rows.l && mirror <= rows.r)
      t.fill(mirror, span, pixel);
  }
}

Span intersect(Span a, Span b) {
  return {std::max(a.l, b.l), std::min(a.r, b.r)};
}

// Paints run minus hole with the pen and hole with the brush (hole inside run).
void paint_ring_row(Target& t, i64 q, Span run, Span hole, std::uint32_t pen, bool brush,
                    std::uint32_t brush_pixel) {
  if (run.empty())
    return;
  if (hole.empty()) {
    t.fill(q, run, pen);
    return;
  }
  t.fill(q, run.l, hole.l - 1, pen);
  t.fill(q, hole.r + 1, run.r, pen);
  if (brush)
    t.fill(q, hole, brush_pixel);
}

struct Box {
  i64 l, t, r, b;
};

// Ordered and clamped; false when it covers nothing.
bool make_box(i64 left, i64 top, i64 right, i64 bottom, Box* box) {
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

// The filled shape of the box, the brush alone.
Ellipse box_ellipse(const Box& b) {
  return {b.l + b.r - 1, b.t + b.b - 1, b.r - b.l, b.b - b.t};
}

void ellipse_thin(Target& t, const Box& box, const PlatPen& pen, const PlatBrush& brush) {
  const Ellipse e = box_ellipse(box);
  const std::uint32_t pen_pixel = soft_pixel_from_color(pen.color);
  const std::uint32_t brush_pixel = soft_pixel_from_color(brush.color);
  const bool solid = !brush.hollow && brush_pixel == pen_pixel;
  if (solid) {
    fill_ellipse(t, e, pen_pixel);
    return;
  }
  const Span rows = ellipse_rows(t, e);
  if (rows.empty())
    return;
  Span above = ellipse_span(e, rows.l - 1), here = ellipse_span(e, rows.l);
  for (i64 q = rows.l; q <= rows.r; ++q) {
    const Span below = ellipse_span(e, q + 1);
    if (!here.empty()) {
      // Inside the outline: pixels whose four neighbours are all in the shape.
      Span inner = {here.l + 1, here.r - 1};
      if (above.empty() || below.empty()) {
        inner = {};
      } else {
        inner = intersect(intersect(inner, above), below);
      }
      paint_ring_row(t, q, here, inner, pen_pixel, !brush.hollow, brush_pixel);
    }
    above = here;
    here = below;
  }
}

void ellipse_wide(Target& t, const Box& box, const PlatPen& pen, const PlatBrush& brush) {
  const i64 w = pen_width(pen);
  const i64 shift = w % 2 == 0 ? 1 : 0;
  const i64 a2 = box.r - box.l - 1, b2 = box.b - box.t - 1;  // the path's doubled semi-axes
  const i64 cx2 = box.l + box.r - 1 - shift, cy2 = box.t + box.b - 1 - shift;
  const Ellipse outer{cx2, cy2, a2 + w, b2 + w};
  const Ellipse inner{cx2, cy2, a2 - w, b2 - w};
  const std::uint32_t pen_pixel = soft_pixel_from_color(pen.color);
  const std::uint32_t brush_pixel = soft_pixel_from_color(brush.color);
  const Span rows = ellipse_rows(t, outer);
  for (i64 q = rows.l; q <= rows.r; ++q) {
    paint_ring_row(t, q, ellipse_span(outer, q), ellipse_span(inner, q), pen_pixel, !brush.hollow,
                   brush_pixel);
  }
}

// ---------------------------------------------------------------------------
// Polygon fill, alternate rule, pixel centres sampled at integer points.

struct Edge {
  i64 y_top, y_end;  // rows [y_top, y_end)
  i64 x, dx, dy;     // from (x, y_top), dy > 0
  // At the current row: crossing pixel c = ceil(N / dy), N = c*dy - rem.
  i64 c = 0, rem = 0, step_q = 0, step_r = 0;
  bool started = false;
};

// Sorts the few crossings of a row; insertion sort beats std::sort below a
// dozen or so.
void sort_crossings(std::vector<i64>& v) {
  if (v.size() > 16) {
    std::sort(v.begin(), v.end());
    return;
  }
  for (std::size_t i = 1; i < v.size(); ++i) {
    const i64 x = v[i];
    std::size_t j = i;
    for (; j > 0 && v[j - 1] > x; --j)
      v[j] = v[j - 1];
    v[j] = x;
  }
}

// The scratch lists are kept from call to call (the runtime draws on one
// thread), so a polygon allocates nothing once the largest has been drawn.
void fill_polygon(Target& t, const std::vector<PlatPoint>& pts, std::uint32_t pixel) {
  static std::vector<Edge> edges;
  edges.clear();
  i64 ymin = pts[0].y, ymax = pts[0].y;
  const std::size_t n = pts.size();
  for (std::size_t i = 0; i < n; ++i) {
    PlatPoint a = pts[i], b = pts[(i + 1) % n];
    ymin = std::min(ymin, a.y);
    ymax = std::max(ymax, a.y);
    if (a.y == b.y)
      continue;
    if (a.y > b.y)
      std::swap(a, b);
    edges.push_back({a.y, b.y, a.x, b.x - a.x, b.y - a.y});
  }
  const Span rows = clip_rows(t, ymin, ymax - 1);
  static std::vector<i64> crossings;
  for (i64 q = rows.l; q <= rows.r; ++q) {
    crossings.clear();
    for (Edge& e : edges) {
      if (q < e.y_top || q >= e.y_end)
        continue;
      if (!e.started) {
        const i128 num = i128{e.x} * e.dy + i128{q - e.y_top} * e.dx;
        e.c = static_cast<i64>(ceil_div(num, e.dy));
        e.rem = static_cast<i64>(i128{e.c} * e.dy - num);
        e.step_q = static_cast<i64>(floor_div(e.dx, e.dy));
        e.step_r = e.dx - e.step_q * e.dy;
        e.started = true;
      }
      crossings.push_back(e.c);
      // On to the next row: N grows by dx.
      e.c += e.step_q;
      e.rem -= e.step_r;
      if (e.rem < 0) {
        e.rem += e.dy;
        ++e.c;
      }
    }
    sort_crossings(crossings);
    for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
      t.fill(q, crossings[i], crossings[i + 1] - 1, pixel);
    }
  }
}

}  // namespace

void soft_rectangle(PlatCanvas* canvas, std::int64_t left, std::int64_t top, std::int64_t right,
                    std::int64_t bottom, const PlatPen& pen, const PlatBrush& brush) {
  if (!canvas)
    return;
  Target t(canvas);
  Box b;
  if (!t.usable() || !make_box(left, top, right, bottom, &b))
    return;
  const std::uint32_t brush_pixel = soft_pixel_from_color(brush.color);
  if (pen.none) {
    if (!brush.hollow) {
      const Span rows = clip_rows(t, b.t, b.b - 2);
      for (i64 q = rows.l; q <= rows.r; ++q)
        t.fill(q, b.l, b.r - 2, brush_pixel);
    }
    t.finish();
    return;
  }
  if (!brush.hollow) {
    const Span rows = clip_rows(t, b.t + 1, b.b - 2);
    for (i64 q = rows.l; q <= rows.r; ++q)
      t.fill(q, b.l + 1, b.r - 2, brush_pixel);
  }
  if (thin(pen)) {
    const std::uint32_t pen_pixel = soft_pixel_from_color(pen.color);
    t.fill(b.t, b.l, b.r - 1, pen_pixel);
    if (b.b - 1 != b.t)
      t.fill(b.b - 1, b.l, b.r - 1, pen_pixel);
    t.column(b.l, {b.t + 1, b.b - 2}, pen_pixel);
    t.column(b.r - 1, {b.t + 1, b.b - 2}, pen_pixel);
  } else {
    const PlatPoint frame[4] = {{b.l, b.t}, {b.r - 1, b.t}, {b.r - 1, b.b - 1}, {b.l, b.b - 1}};
    stroke_path(t, frame, 4, true, pen);
  }
  t.finish();
}

void soft_ellipse(PlatCanvas* canvas, std::int64_t left, std::int64_t top, std::int64_t right,
                  std::int64_t bottom, const PlatPen& pen, const PlatBrush& brush) {
  if (!canvas)
    return;
  Target t(canvas);
  Box b;
  if (!t.usable() || !make_box(left, top, right, bottom, &b))
    return;
  if (pen.none) {
    if (!brush.hollow) {
      fill_ellipse(t, box_ellipse({b.l, b.t, b.r - 1, b.b - 1}),
                   soft_pixel_from_color(brush.color));
    }
  } else if (thin(pen)) {
    ellipse_thin(t, b, pen, brush);
  } else {
    ellipse_wide(t, b, pen, brush);
  }
  t.finish();
}

void soft_polygon(PlatCanvas* canvas, const PlatPoint* points, int count, const PlatPen& pen,
                  const PlatBrush& brush) {
  if (!canvas || !points || count < 2)
    return;
  Target t(canvas);
  if (!t.usable())
    return;
  static std::vector<PlatPoint> pts;  // scratch, as in fill_polygon
  pts.assign(points, points + count);
  for (PlatPoint& p : pts)
    p = {clamp_coord(p.x), clamp_coord(p.y)};
  if (!brush.hollow)
    fill_polygon(t, pts, soft_pixel_from_color(brush.color));
  if (!pen.none)
    stroke_path(t, pts.data(), count, true, pen);
  t.finish();
}

void soft_line(PlatCanvas* canvas, PlatPoint from, PlatPoint to, const PlatPen& pen) {
  if (!canvas || pen.none)
    return;
  Target t(canvas);
  if (!t.usable())
    return;
  from = {clamp_coord(from.x), clamp_coord(from.y)};
  to = {clamp_coord(to.x), clamp_coord(to.y)};
  const PlatPoint pts[2] = {from, to};
  stroke_path(t, pts, 2, false, pen);
  t.finish();
}
