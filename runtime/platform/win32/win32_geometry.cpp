// Shapes brought into the coordinate range GDI can take (see win32_geometry.h).
#include "runtime/platform/win32/win32_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

using i64 = std::int64_t;

// Far beyond any sum of 32-bit values, and small enough that every input is
// exact as a double and every product of two stays finite.
constexpr i64 kInputLimit = i64{1} << 40;
constexpr i64 kWidthLimit = i64{1} << 43;

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxDepth = 60;
constexpr std::size_t kMaxPoints = std::size_t{1} << 18;
// A cut edge between whole pixels ends on a whole pixel of it when there is
// one within this many pixels beyond the cut.
constexpr i64 kSnapStep = W32_MARGIN / 8;

i64 clamp_input(i64 v) {
  return std::clamp(v, -kInputLimit, kInputLimit);
}

i64 pen_width(const PlatPen& pen) {
  return std::clamp<i64>(pen.width, 0, kWidthLimit);
}

bool thin(const PlatPen& pen) {
  return pen_width(pen) <= 1;
}

// The canvas plus a margin on every side.
W32Bounds around_canvas(int width, int height, i64 margin) {
  const double m = static_cast<double>(margin);
  return {-m, -m, std::max(width, 0) + m, std::max(height, 0) + m};
}
// Cut points may move on by kSnapStep; they stay within the margin.
W32Bounds area_bounds(int width, int height) {
  return around_canvas(width, height, W32_MARGIN - kSnapStep);
}
W32Bounds stroke_bounds(int width, int height) {
  return around_canvas(width, height, W32_MARGIN / 2);
}

W32Point rounded(W32Real p) {
  constexpr double lo = std::numeric_limits<std::int32_t>::min();
  constexpr double hi = std::numeric_limits<std::int32_t>::max();
  return {static_cast<std::int32_t>(std::clamp(std::round(p.x), lo, hi)),
          static_cast<std::int32_t>(std::clamp(std::round(p.y), lo, hi))};
}

W32Real real(PlatPoint p) {
  return {static_cast<double>(clamp_input(p.x)), static_cast<double>(clamp_input(p.y))};
}

// A ring clipped to the area bounds and rounded; false when nothing is left.
bool add_ring(W32Area* area, const std::vector<W32Real>& outline, int width, int height) {
  const std::vector<W32Real> clipped = w32_clip_polygon(outline, area_bounds(width, height));
  if (clipped.size() < 3)
    return false;
  std::vector<W32Point> ring;
  ring.reserve(clipped.size());
  for (const W32Real& p : clipped)
    ring.push_back(rounded(p));
  area->rings.push_back(std::move(ring));
  return true;
}

void add_area(W32Plan* plan, const std::vector<W32Real>& outline, bool pen_color, int width,
              int height) {
  W32Area area;
  area.pen_color = pen_color;
  if (add_ring(&area, outline, width, height))
    plan->areas.push_back(std::move(area));
}

// Wide pens paint every pixel whose centre lies within w/2 of the path; for
// an even width the path runs through the pixels' top-left corners.
double even_shift(const PlatPen& pen) {
  return pen_width(pen) % 2 == 0 ? 0.5 : 0.0;
}

// The pen along a path: segments for a narrow pen, one capsule per edge for
// a wider one.
void stroke_path(W32Plan* plan, const std::vector<W32Real>& path, bool closed, const PlatPen& pen,
                 int width, int height) {
  if (pen.none || path.size() < 2)
    return;
  const std::size_t edges = closed ? path.size() : path.size() - 1;
  const bool narrow = w32_narrow_pen(pen);
  const double shift = even_shift(pen);
  const double radius = static_cast<double>(pen_width(pen)) / 2;
  for (std::size_t i = 0; i < edges; ++i) {
    W32Real p = path[i];
    W32Real q = path[(i + 1) % path.size()];
    if (narrow) {
      if (w32_clip_segment(&p, &q, stroke_bounds(width, height)))
        plan->segments.emplace_back(rounded(p), rounded(q));
      continue;
    }
    p = {p.x - shift, p.y - shift};
    q = {q.x - shift, q.y - shift};
    add_area(plan, w32_capsule_outline(p, q, radius, area_bounds(width, height)), true, width,
             height);
  }
}

struct OrderedBox {
  i64 l, t, r, b;
};

// Ordered and clamped; false when it covers nothing.
bool order_box(i64 left, i64 top, i64 right, i64 bottom, OrderedBox* box) {
  left = clamp_input(left);
  top = clamp_input(top);
  right = clamp_input(right);
  bottom = clamp_input(bottom);
  if (left > right)
    std::swap(left, right);
  if (top > bottom)
    std::swap(top, bottom);
  *box = {left, top, right, bottom};
  return left < right && top < bottom;
}

// ---------------------------------------------------------------------------
// Sampling curves

bool boxes_meet(const W32Bounds& a, const W32Bounds& b) {
  return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

double distance_to_line(W32Real m, W32Real p, W32Real q) {
  const double dx = q.x - p.x, dy = q.y - p.y;
  const double length = std::hypot(dx, dy);
  if (length == 0)
    return std::hypot(m.x - p.x, m.y - p.y);
  return std::fabs(dx * (m.y - p.y) - dy * (m.x - p.x)) / length;
}

// Points of an ellipse arc, parameter t: c + (a cos t, b sin t). A piece of
// at most a quarter turn lies inside the triangle of its chord and its end
// tangents, whose apex is the image of the circle's tangent point, so a piece
// whose triangle misses the bounds can be taken as one chord. Near the
// bounds, the point of the piece farthest from its chord is the one at the
// middle parameter (the tangent there is parallel to the chord), so that
// point's distance is the piece's deviation.
struct ArcSampler {
  W32Real c;
  double a, b;
  W32Bounds near;
  std::vector<W32Real>* out;

  W32Real at(double t) const { return {c.x + a * std::cos(t), c.y + b * std::sin(t)}; }

  bool triangle_meets(W32Real p0, W32Real p1, double mid, double half) const {
    const double k = 1 / std::cos(half);
    const W32Real apex{c.x + a * std::cos(mid) * k, c.y + b * std::sin(mid) * k};
    const W32Bounds hull{std::min({p0.x, p1.x, apex.x}), std::min({p0.y, p1.y, apex.y}),
                         std::max({p0.x, p1.x, apex.x}), std::max({p0.y, p1.y, apex.y})};
    return boxes_meet(hull, near);
  }

  // Appends the points of [t0, t1) (a quarter turn at most).
  void piece(double t0, double t1, int depth) {
    const W32Real p0 = at(t0);
    const double half = (t1 - t0) / 2;
    const double mid = t0 + half;
    if (depth < kMaxDepth && out->size() < kMaxPoints) {
      const W32Real p1 = at(t1);
      if (triangle_meets(p0, p1, mid, half) && distance_to_line(at(mid), p0, p1) > W32_TOLERANCE) {
        piece(t0, mid, depth + 1);
        piece(mid, t1, depth + 1);
        return;
      }
    }
    out->push_back(p0);
  }

  // Appends the points of [t0, t1), split into quarter turns.
  void arc(double t0, double t1) {
    const int pieces = std::max(1, static_cast<int>(std::ceil(std::fabs(t1 - t0) / (kPi / 2))));
    for (int i = 0; i < pieces; ++i)
      piece(t0 + (t1 - t0) * i / pieces, t0 + (t1 - t0) * (i + 1) / pieces, 0);
  }
};

W32Bounds widened(const W32Bounds& b, double by) {
  return {b.left - by, b.top - by, b.right + by, b.bottom + by};
}

// ---------------------------------------------------------------------------
// Sutherland-Hodgman, one side of the bounds at a time.

template <typename Inside, typename Cross>
std::vector<W32Real> clip_side(const std::vector<W32Real>& in, Inside inside, Cross cross) {
  std::vector<W32Real> out;
  if (in.empty())
    return out;
  out.reserve(in.size() + 4);
  W32Real prev = in.back();
  bool prev_in = inside(prev);
  for (const W32Real& p : in) {
    const bool p_in = inside(p);
    if (p_in != prev_in)
      out.push_back(prev_in ? cross(prev, p) : cross(p, prev));
    if (p_in)
      out.push_back(p);
    prev = p;
    prev_in = p_in;
  }
  return out;
}

bool integral(W32Real p) {
  return p.x == std::floor(p.x) && p.y == std::floor(p.y);
}

// The point a fraction t of the way from a to b, where the way crosses a
// side of the bounds with b beyond it. Between whole pixels it moves on
// toward b to the first whole pixel of the segment at or beyond the side, if
// there is one near: then the cut edge runs through exactly the pixel centres
// the whole edge does, and GDI draws it (ties included) as it draws the whole.
W32Real crossing(W32Real a, W32Real b, double t) {
  const W32Real exact{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
  if (!integral(a) || !integral(b))
    return exact;
  const i64 dx = static_cast<i64>(b.x - a.x), dy = static_cast<i64>(b.y - a.y);
  const i64 g = std::gcd(dx, dy);
  if (g == 0)
    return exact;
  const i64 sx = dx / g, sy = dy / g;
  if (std::max(sx < 0 ? -sx : sx, sy < 0 ? -sy : sy) > kSnapStep)
    return exact;
  const i64 k = std::clamp<i64>(static_cast<i64>(std::ceil(t * static_cast<double>(g))), 0, g);
  return {a.x + static_cast<double>(k * sx), a.y + static_cast<double>(k * sy)};
}

// Where the edge from a (inside) to b (beyond) crosses x = bound or y = bound.
W32Real cross_x(W32Real a, W32Real b, double x) {
  return crossing(a, b, (x - a.x) / (b.x - a.x));
}
W32Real cross_y(W32Real a, W32Real b, double y) {
  return crossing(a, b, (y - a.y) / (b.y - a.y));
}

}  // namespace

// ---------------------------------------------------------------------------

std::int64_t w32_pen_reach(const PlatPen& pen) {
  if (pen.none)
    return 0;
  if (thin(pen))
    return 1;
  return pen_width(pen) / 2 + 2;
}

bool w32_narrow_pen(const PlatPen& pen) {
  return w32_pen_reach(pen) <= W32_MARGIN / 4;
}

bool w32_fits(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
              const PlatPen& pen, int width, int height) {
  if (!w32_narrow_pen(pen))
    return false;
  const i64 reach = w32_pen_reach(pen);
  const i64 lo = -W32_MARGIN + reach;
  const auto inside = [&](i64 v, int size) { return v >= lo && v <= size + W32_MARGIN - reach; };
  return inside(std::min(x0, x1), width) && inside(std::max(x0, x1), width) &&
         inside(std::min(y0, y1), height) && inside(std::max(y0, y1), height);
}

W32Box w32_clamp_box(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
                     int width, int height) {
  const i64 m = W32_MARGIN / 2;
  const auto clamp_x = [&](i64 v) {
    return static_cast<std::int32_t>(std::clamp<i64>(v, -m, std::max(width, 0) + m));
  };
  const auto clamp_y = [&](i64 v) {
    return static_cast<std::int32_t>(std::clamp<i64>(v, -m, std::max(height, 0) + m));
  };
  return {clamp_x(left), clamp_y(top), clamp_x(right), clamp_y(bottom)};
}

W32Plan w32_plan_rectangle(std::int64_t left, std::int64_t top, std::int64_t right,
                           std::int64_t bottom, const PlatPen& pen, const PlatBrush& brush,
                           int width, int height) {
  W32Plan plan;
  OrderedBox box;
  if (!order_box(left, top, right, bottom, &box))
    return plan;
  const double l = static_cast<double>(box.l), t = static_cast<double>(box.t);
  const double r = static_cast<double>(box.r), b = static_cast<double>(box.b);
  if (!brush.hollow) {
    // Without a pen the brush leaves out the last column and row.
    const double less = pen.none ? 1 : 0;
    add_area(&plan, {{l, t}, {r - less, t}, {r - less, b - less}, {l, b - less}}, false, width,
             height);
  }
  // The frame through the centres of the box's outermost pixels.
  stroke_path(&plan, {{l, t}, {r - 1, t}, {r - 1, b - 1}, {l, b - 1}}, true, pen, width, height);
  return plan;
}

W32Plan w32_plan_ellipse(std::int64_t left, std::int64_t top, std::int64_t right,
                         std::int64_t bottom, const PlatPen& pen, const PlatBrush& brush, int width,
                         int height) {
  W32Plan plan;
  OrderedBox box;
  if (!order_box(left, top, right, bottom, &box))
    return plan;
  const W32Bounds bounds = area_bounds(width, height);
  // The pixels of the box are box.l .. box.r - 1; the ellipse is inscribed in
  // their outer edges, half a pixel beyond the outermost centres.
  const double cols = static_cast<double>(box.r - box.l);
  const double rows = static_cast<double>(box.b - box.t);
  const W32Real c{static_cast<double>(box.l) + (cols - 1) / 2,
                  static_cast<double>(box.t) + (rows - 1) / 2};
  if (pen.none) {
    // Without a pen the brush fills the shape of the box one pixel smaller.
    if (!brush.hollow) {
      const W32Real smaller{c.x - 0.5, c.y - 0.5};
      add_area(&plan, w32_ellipse_outline(smaller, (cols - 1) / 2, (rows - 1) / 2, bounds), false,
               width, height);
    }
    return plan;
  }
  // The pen's path runs through the centres of the outermost pixels.
  const double a = (cols - 1) / 2, b = (rows - 1) / 2;
  if (!brush.hollow)
    add_area(&plan, w32_ellipse_outline(c, a, b, bounds), false, width, height);
  if (w32_narrow_pen(pen)) {
    // The outline as chords near the canvas, drawn with the pen itself.
    const std::vector<W32Real> path = w32_ellipse_outline(c, a, b, stroke_bounds(width, height));
    stroke_path(&plan, path, true, pen, width, height);
    return plan;
  }
  // A band between the ellipses w/2 outside and inside the path.
  const double half = static_cast<double>(pen_width(pen)) / 2;
  const double shift = even_shift(pen);
  const W32Real centre{c.x - shift, c.y - shift};
  W32Area band;
  band.pen_color = true;
  if (!add_ring(&band, w32_ellipse_outline(centre, a + half, b + half, bounds), width, height))
    return plan;
  if (a - half > 0 && b - half > 0)
    add_ring(&band, w32_ellipse_outline(centre, a - half, b - half, bounds), width, height);
  plan.areas.push_back(std::move(band));
  return plan;
}

W32Plan w32_plan_polygon(const PlatPoint* points, int count, const PlatPen& pen,
                         const PlatBrush& brush, int width, int height) {
  W32Plan plan;
  if (!points || count < 2)
    return plan;
  std::vector<W32Real> path;
  path.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    path.push_back(real(points[i]));
  if (!brush.hollow)
    add_area(&plan, path, false, width, height);
  stroke_path(&plan, path, true, pen, width, height);
  return plan;
}

W32Plan w32_plan_line(PlatPoint from, PlatPoint to, const PlatPen& pen, int width, int height) {
  W32Plan plan;
  stroke_path(&plan, {real(from), real(to)}, false, pen, width, height);
  return plan;
}

// ---------------------------------------------------------------------------

std::vector<W32Real> w32_ellipse_outline(W32Real c, double a, double b, const W32Bounds& bounds) {
  std::vector<W32Real> points;
  ArcSampler sampler{c, std::fabs(a), std::fabs(b), widened(bounds, 1), &points};
  sampler.arc(0, 2 * kPi);
  return points;
}

std::vector<W32Real> w32_capsule_outline(W32Real p, W32Real q, double radius,
                                         const W32Bounds& bounds) {
  const double dx = q.x - p.x, dy = q.y - p.y;
  if (dx == 0 && dy == 0)
    return w32_ellipse_outline(p, radius, radius, bounds);
  std::vector<W32Real> points;
  const double base = std::atan2(dy, dx);
  // Round the far end from the left side of the segment to its right side,
  // then round the near end back; the straight sides join the arcs.
  ArcSampler far_end{q, radius, radius, widened(bounds, 1), &points};
  far_end.arc(base + kPi / 2, base - kPi / 2);
  points.push_back(far_end.at(base - kPi / 2));
  ArcSampler near_end{p, radius, radius, widened(bounds, 1), &points};
  near_end.arc(base - kPi / 2, base - 3 * kPi / 2);
  points.push_back(near_end.at(base - 3 * kPi / 2));
  return points;
}

std::vector<W32Real> w32_clip_polygon(const std::vector<W32Real>& points, const W32Bounds& bounds) {
  std::vector<W32Real> v = points;
  v = clip_side(
      v, [&](W32Real p) { return p.x >= bounds.left; },
      [&](W32Real a, W32Real b) { return cross_x(a, b, bounds.left); });
  v = clip_side(
      v, [&](W32Real p) { return p.x <= bounds.right; },
      [&](W32Real a, W32Real b) { return cross_x(a, b, bounds.right); });
  v = clip_side(
      v, [&](W32Real p) { return p.y >= bounds.top; },
      [&](W32Real a, W32Real b) { return cross_y(a, b, bounds.top); });
  v = clip_side(
      v, [&](W32Real p) { return p.y <= bounds.bottom; },
      [&](W32Real a, W32Real b) { return cross_y(a, b, bounds.bottom); });
  return v;
}

bool w32_clip_segment(W32Real* p, W32Real* q, const W32Bounds& bounds) {
  const double dx = q->x - p->x, dy = q->y - p->y;
  double t0 = 0, t1 = 1;
  // Liang-Barsky: each side as -d * t <= distance inside.
  const double ps[4] = {-dx, dx, -dy, dy};
  const double qs[4] = {p->x - bounds.left, bounds.right - p->x, p->y - bounds.top,
                        bounds.bottom - p->y};
  for (int i = 0; i < 4; ++i) {
    if (ps[i] == 0) {
      if (qs[i] < 0)
        return false;
      continue;
    }
    const double r = qs[i] / ps[i];
    if (ps[i] < 0) {
      t0 = std::max(t0, r);
    } else {
      t1 = std::min(t1, r);
    }
    if (t0 > t1)
      return false;
  }
  const W32Real start = *p, end = *q;
  if (t1 < 1)
    *q = crossing(start, end, t1);
  if (t0 > 0)
    *p = crossing(end, start, 1 - t0);
  return true;
}
