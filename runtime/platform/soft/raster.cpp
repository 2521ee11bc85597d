// Shapes on software canvases, following the Windows drawing rules.
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

// Thin ellipses, drawn as the one-pixel pen draws a curve: the path is the
// ellipse through the centres of the box's outermost pixels, and the pen
// lights every pixel whose diamond (the points nearer its centre than half a
// pixel in |dx| + |dy|) the path passes through. In doubled units around the
// centre, (X, Y) lies inside when X^2 B + Y^2 A < A B, with A = a2^2 and
// B = b2^2 (a2, b2 > 0: doubled semi-axes of the path).
struct PathEllipse {
  i64 cx2, cy2, a2, b2;
  u128 aa, bb;
};

PathEllipse path_of(const Box& box) {
  const i64 a2 = box.r - box.l - 1, b2 = box.b - box.t - 1;
  return {box.l + box.r - 1,          box.t + box.b - 1,         a2, b2,
          static_cast<u128>(a2) * a2, static_cast<u128>(b2) * b2};
}

// A diamond corner strictly inside the path; inside or on it.
bool corner_inside(const PathEllipse& e, i128 x, i128 y) {
  const u128 ay = abs128(y), ax = abs128(x);
  if (ay >= static_cast<u128>(e.b2))
    return false;
  const u128 m = (static_cast<u128>(e.b2) - ay) * (static_cast<u128>(e.b2) + ay);
  return product_less(ax * ax, e.bb, e.aa, m);
}
bool corner_inside_or_on(const PathEllipse& e, i128 x, i128 y) {
  const u128 ay = abs128(y), ax = abs128(x);
  if (ay > static_cast<u128>(e.b2))
    return false;
  const u128 m = (static_cast<u128>(e.b2) - ay) * (static_cast<u128>(e.b2) + ay);
  return !product_less(e.aa, m, ax * ax, e.bb);
}

// Whether the diamond of pixel (p, q) meets the inside of the path. The path
// is symmetric about both axes, so the diamond is taken to the quadrant
// x, y >= 0, where its part nearest the centre is the edge from its left
// corner (x - 1, y) to its lower one (x, y - 1): the diamond meets the inside
// when that edge does, at a corner or in between. Along the edge the path's
// function is least at t = (y A - (x - 1) B) / (A + B), and that least value
// is negative exactly when (x - 1 + y)^2 < A + B.
bool diamond_meets(const PathEllipse& e, i64 p, i64 q) {
  const i128 x = abs128(i128{2} * p - e.cx2), y = abs128(i128{2} * q - e.cy2);
  if ((x == 0 && y == 0) || corner_inside(e, x - 1, y) || corner_inside(e, x, y - 1))
    return true;
  if (x == 0 || y == 0)
    return false;  // the corner on the axis is the diamond's nearest point
  const i128 a = static_cast<i128>(e.aa), b = static_cast<i128>(e.bb);
  const i128 t_num = y * a - (x - 1) * b;
  const u128 offset = static_cast<u128>(x - 1 + y);
  return t_num > 0 && t_num < a + b && offset * offset < e.aa + e.bb;
}

// Whether the whole diamond lies inside the path or on it: in the quadrant
// x, y >= 0 its farthest points are its right and upper corners.
bool diamond_within(const PathEllipse& e, i64 p, i64 q) {
  const i128 x = abs128(i128{2} * p - e.cx2), y = abs128(i128{2} * q - e.cy2);
  return corner_inside_or_on(e, x + 1, y) && corner_inside_or_on(e, x, y + 1);
}

// The pixels of row q for which test holds, symmetric about the centre; the
// right end is guessed from the half-width at doubled row offset y_guess and
// then settled exactly.
template <typename Test>
Span diamond_span(const PathEllipse& e, i64 q, i64 y_guess, i64 x_pad, Test test) {
  const i64 centre = static_cast<i64>(floor_div(e.cx2 + 1, 2));  // first p with X >= 0
  if (!test(e, centre, q))
    return {};
  const double r = 1.0 - std::pow(static_cast<double>(y_guess) / static_cast<double>(e.b2), 2);
  const double half = static_cast<double>(e.a2) * std::sqrt(std::max(r, 0.0)) + x_pad;
  i64 p = centre + static_cast<i64>((half - static_cast<double>(2 * centre - e.cx2)) / 2);
  p = std::max(p, centre);
  while (test(e, p + 1, q))
    ++p;
  while (!test(e, p, q))
    --p;
  return {e.cx2 - p, p};
}

// The pen's pixels of row q together with what they enclose, and the
// enclosed ones alone.
Span path_run(const PathEllipse& e, i64 q) {
  const i64 y = std::max<i64>((2 * q - e.cy2 < 0 ? e.cy2 - 2 * q : 2 * q - e.cy2) - 1, 0);
  return diamond_span(e, q, std::min(y, e.b2), 1, diamond_meets);
}
Span path_hole(const PathEllipse& e, i64 q) {
  const i64 y = (2 * q - e.cy2 < 0 ? e.cy2 - 2 * q : 2 * q - e.cy2) + 1;
  if (y > e.b2)
    return {};
  return diamond_span(e, q, y, -1, diamond_within);
}

// The non-negative doubled x offset at which the path crosses the doubled row
// offset y exactly, or -1 when that is not an integer.
i64 exact_crossing(const PathEllipse& e, i64 y) {
  constexpr i64 kSmallAxis = i64{1} << 15;
  if (e.a2 < kSmallAxis && e.b2 < kSmallAxis) {
    // The same in 64 bits: every product stays below 2^62.
    const i64 ay = y < 0 ? -y : y;
    if (ay > e.b2)
      return -1;
    const i64 m = (e.b2 - ay) * (e.b2 + ay);
    const i64 a = static_cast<i64>(e.aa), b = static_cast<i64>(e.bb);
    const double guess =
        static_cast<double>(e.a2) * std::sqrt(static_cast<double>(m)) / static_cast<double>(e.b2);
    const i64 near = static_cast<i64>(guess + 0.5);
    if (std::abs(guess - static_cast<double>(near)) > 0.25)
      return -1;
    for (i64 x = std::max<i64>(near - 1, 0); x <= near + 1; ++x) {
      if (x * x * b == a * m)
        return x;
    }
    return -1;
  }
  const u128 ay = abs128(y);
  if (ay > static_cast<u128>(e.b2))
    return -1;
  const u128 m = (static_cast<u128>(e.b2) - ay) * (static_cast<u128>(e.b2) + ay);
  const double guess =
      static_cast<double>(e.a2) * std::sqrt(static_cast<double>(m)) / static_cast<double>(e.b2);
  const i64 near = static_cast<i64>(guess + 0.5);
  // An exact crossing lies within far less than this of the real one.
  if (std::abs(guess - static_cast<double>(near)) > 0.25)
    return -1;
  for (i64 x = std::max<i64>(near - 1, 0); x <= near + 1; ++x) {
    const u128 xx = static_cast<u128>(x) * static_cast<u128>(x);
    if (!product_less(xx, e.bb, e.aa, m) && !product_less(e.aa, m, xx, e.bb))
      return x;
  }
  return -1;
}

// Where the path passes exactly halfway between two pixels of row q (the
// right corner of one diamond) or between one of them and the pixel below (the
// bottom corner), the pen lights the left one, or the upper one.
void light_ties(Target& t, const PathEllipse& e, i64 q, std::uint32_t pixel) {
  const i64 y = 2 * q - e.cy2;
  for (int corner = 0; corner < 2; ++corner) {
    const i64 x = exact_crossing(e, y + corner);
    if (x < 0)
      continue;
    // A right corner is at 2p + 1 - cx2, a bottom corner at 2p - cx2.
    for (const i64 offset : {x, -x}) {
      const i64 twice_p = offset + e.cx2 - (corner == 0 ? 1 : 0);
      if (twice_p % 2 == 0)
        t.plot(twice_p / 2, q, pixel);
      if (x == 0)
        break;
    }
  }
}

// diamond_meets in 64 bits, for paths whose doubled semi-axes are below 2^15
// and pixels near them: x and y are the pixel's doubled offsets from the
// centre. Every product stays below 2^62.
bool diamond_meets_small(const PathEllipse& e, i64 x, i64 y) {
  x = x < 0 ? -x : x;
  y = y < 0 ? -y : y;
  const i64 a = static_cast<i64>(e.aa), b = static_cast<i64>(e.bb);
  const auto inside = [&](i64 cx, i64 cy) {
    cy = cy < 0 ? -cy : cy;
    if (cy >= e.b2)
      return false;
    return cx * cx * b < a * ((e.b2 - cy) * (e.b2 + cy));
  };
  if ((x == 0 && y == 0) || inside(x - 1, y) || inside(x, y - 1))
    return true;
  if (x == 0 || y == 0)
    return false;
  const i64 t_num = y * a - (x - 1) * b;
  const i64 offset = x - 1 + y;
  return t_num > 0 && t_num < a + b && offset * offset < a + b;
}

// The pen's runs of successive rows of a filled ellipse. The shape is
// convex and symmetric, so from one row to the next the run's right end
// moves by a pixel or two, except near the top and bottom: it is found from
// the one before, and afresh (path_run) where that takes too many steps or
// the path is too large for 64 bits.
class RunWalker {
 public:
  explicit RunWalker(const PathEllipse& e)
      : e_(e),
        small_(e.a2 < kSmallAxis && e.b2 < kSmallAxis),
        centre_(static_cast<i64>(floor_div(e.cx2 + 1, 2))) {}

  Span run(i64 q) {
    Span found;
    if (!small_ || !have_ || !step(q, &found))
      found = path_run(e_, q);
    have_ = !found.empty();
    right_ = found.r;
    return found;
  }

 private:
  static constexpr i64 kSmallAxis = i64{1} << 15;
  static constexpr int kMaxSteps = 8;

  bool step(i64 q, Span* found) {
    const i64 y = 2 * q - e_.cy2;
    const auto meets = [&](i64 p) { return diamond_meets_small(e_, 2 * p - e_.cx2, y); };
    i64 p = right_;
    if (meets(p)) {
      for (int i = 0; meets(p + 1); ++i, ++p) {
        if (i == kMaxSteps)
          return false;
      }
    } else {
      for (int i = 0; !meets(p); ++i, --p) {
        if (i == kMaxSteps || p <= centre_)
          return false;
      }
    }
    *found = {e_.cx2 - p, p};
    return true;
  }

  const PathEllipse& e_;
  const bool small_;
  const i64 centre_;
  bool have_ = false;
  i64 right_ = 0;
};

// The thin pen along the box's ellipse over the brush inside it. A box one
// pixel wide or high is a line of its pixels.
void ellipse_thin(Target& t, const Box& box, const PlatPen& pen, const PlatBrush& brush) {
  const std::uint32_t pen_pixel = soft_pixel_from_color(pen.color);
  const std::uint32_t brush_pixel = soft_pixel_from_color(brush.color);
  const bool solid = !brush.hollow && brush_pixel == pen_pixel;
  if (box.r - box.l == 1 || box.b - box.t == 1) {
    const Span rows = clip_rows(t, box.t, box.b - 1);
    for (i64 q = rows.l; q <= rows.r; ++q)
      t.fill(q, box.l, box.r - 1, pen_pixel);
    return;
  }
  const PathEllipse e = path_of(box);
  const Span rows = clip_rows(t, static_cast<i64>(ceil_div(e.cy2 - e.b2, 2)),
                              static_cast<i64>(floor_div(e.cy2 + e.b2, 2)));
  RunWalker walker(e);
  for (i64 q = rows.l; q <= rows.r; ++q) {
    if (solid) {
      t.fill(q, walker.run(q), pen_pixel);
    } else {
      paint_ring_row(t, q, path_run(e, q), path_hole(e, q), pen_pixel, !brush.hollow, brush_pixel);
    }
    light_ties(t, e, q, pen_pixel);
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
    // The brush alone: the filled shape of the box one pixel smaller.
    if (!brush.hollow && b.r - b.l > 1 && b.b - b.t > 1) {
      PlatPen same;
      same.color = brush.color;
      ellipse_thin(t, {b.l, b.t, b.r - 1, b.b - 1}, same, brush);
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
