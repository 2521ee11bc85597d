// Polygons (alternate fill, then the pen along the edges) and rectangles.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "runtime/platform/render/raster_internal.h"

using namespace raster;

namespace {

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

void render_rectangle(PlatCanvas* canvas, std::int64_t left, std::int64_t top, std::int64_t right,
                      std::int64_t bottom, const PlatPen& pen, const PlatBrush& brush) {
  if (!canvas)
    return;
  Target t(canvas);
  Box b;
  if (!t.usable() || !make_box(left, top, right, bottom, &b))
    return;
  const std::uint32_t brush_pixel = render_pixel_from_color(brush.color);
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
    const std::uint32_t pen_pixel = render_pixel_from_color(pen.color);
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

void render_polygon(PlatCanvas* canvas, const PlatPoint* points, int count, const PlatPen& pen,
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
    fill_polygon(t, pts, render_pixel_from_color(brush.color));
  if (!pen.none)
    stroke_path(t, pts.data(), count, true, pen);
  t.finish();
}
