// Ellipses: the thin pen along the path through the box's outer pixel
// centres, the brush inside it, and wide pens as the band between two
// ellipses.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "runtime/platform/render/raster_internal.h"

using namespace raster;

namespace {

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
  const std::uint32_t pen_pixel = render_pixel_from_color(pen.color);
  const std::uint32_t brush_pixel = render_pixel_from_color(brush.color);
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
  const std::uint32_t pen_pixel = render_pixel_from_color(pen.color);
  const std::uint32_t brush_pixel = render_pixel_from_color(brush.color);
  const Span rows = ellipse_rows(t, outer);
  for (i64 q = rows.l; q <= rows.r; ++q) {
    paint_ring_row(t, q, ellipse_span(outer, q), ellipse_span(inner, q), pen_pixel, !brush.hollow,
                   brush_pixel);
  }
}

}  // namespace

void render_ellipse(PlatCanvas* canvas, std::int64_t left, std::int64_t top, std::int64_t right,
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
