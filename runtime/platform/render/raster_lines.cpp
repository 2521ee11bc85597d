// Lines: the thin pen one pixel per step, and wide pens as round-capped
// capsules along each segment of a path.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "runtime/platform/render/raster_internal.h"

using namespace raster;

namespace {

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

}  // namespace

// A pen along the path through the points; closed joins the last to the first.
void raster::stroke_path(Target& t, const PlatPoint* pts, int count, bool closed,
                         const PlatPen& pen) {
  const std::uint32_t pixel = render_pixel_from_color(pen.color);
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

void render_line(PlatCanvas* canvas, PlatPoint from, PlatPoint to, const PlatPen& pen) {
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
