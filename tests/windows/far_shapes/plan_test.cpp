// The win32 backend's plans for shapes beyond GDI's range, checked natively:
// drawn by the soft rasteriser, a plan must agree with the soft rasteriser's
// exact drawing of the whole shape to within a pixel of its boundary, and
// everything in it must lie within the margin GDI is handed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "runtime/platform/render/render.h"
#include "runtime/platform/win32/win32_geometry.h"
#include "tests/support/canvas_ptr.h"
#include "tests/windows/far_shapes/far_shapes.h"
#include "tests/windows/far_shapes/pixel_compare.h"

namespace {

constexpr int W = FAR_CANVAS_WIDTH;
constexpr int H = FAR_CANVAS_HEIGHT;

CanvasPtr blank_canvas() {
  CanvasPtr canvas(render_canvas_create(W, H));
  render_fill_rect(canvas.get(), 0, 0, W, H, FAR_BACKGROUND);
  return canvas;
}

Picture picture_of(const PlatCanvas* canvas) {
  Picture picture{canvas->width, canvas->height, canvas->pixels};
  return picture;
}

const ShapeOps render_ops = {render_rectangle, render_ellipse, render_polygon, render_line};

// A plan drawn the way the backend hands it to GDI: every area as one
// polygon under the alternate rule (rings joined through a doubled edge,
// which changes no crossing parity), then the segments with the pen.
void draw_plan(const W32Plan& plan, const PlatPen& pen, const PlatBrush& brush,
               PlatCanvas* canvas) {
  PlatPen no_pen;
  no_pen.none = true;
  for (const W32Area& area : plan.areas) {
    std::vector<PlatPoint> joined;
    const W32Point start = area.rings.front().front();
    for (const auto& ring : area.rings) {
      for (const W32Point& p : ring)
        joined.push_back({p.x, p.y});
      joined.push_back({ring.front().x, ring.front().y});
      joined.push_back({start.x, start.y});
    }
    PlatBrush fill;
    fill.color = area.pen_color ? pen.color : brush.color;
    render_polygon(canvas, joined.data(), static_cast<int>(joined.size()), no_pen, fill);
  }
  for (const auto& [from, to] : plan.segments)
    render_line(canvas, {from.x, from.y}, {to.x, to.y}, pen);
}

W32Plan plan_of(const FarShape& shape) {
  const PlatPen pen = far_pen(shape);
  const PlatBrush brush = far_brush(shape);
  const auto& p = shape.points;
  switch (shape.kind) {
    case FarShape::RECTANGLE:
      return w32_plan_rectangle(p[0].x, p[0].y, p[1].x, p[1].y, pen, brush, W, H);
    case FarShape::ELLIPSE:
      return w32_plan_ellipse(p[0].x, p[0].y, p[1].x, p[1].y, pen, brush, W, H);
    case FarShape::POLYGON:
      return w32_plan_polygon(p.data(), static_cast<int>(p.size()), pen, brush, W, H);
    case FarShape::LINE:
      return w32_plan_line(p[0], p[1], pen, W, H);
  }
  return {};
}

// Every coordinate of a plan lies within the margin around the canvas.
bool within_margin(const W32Plan& plan, std::string* why) {
  const auto ok = [](W32Point p) {
    return p.x >= -W32_MARGIN && p.x <= W + W32_MARGIN && p.y >= -W32_MARGIN &&
           p.y <= H + W32_MARGIN;
  };
  for (const W32Area& area : plan.areas) {
    for (const auto& ring : area.rings) {
      for (const W32Point& p : ring) {
        if (!ok(p)) {
          *why = "area point " + std::to_string(p.x) + ", " + std::to_string(p.y);
          return false;
        }
      }
    }
  }
  for (const auto& [a, b] : plan.segments) {
    if (!ok(a) || !ok(b)) {
      *why = "segment end outside";
      return false;
    }
  }
  return true;
}

std::size_t point_count(const W32Plan& plan) {
  std::size_t n = 2 * plan.segments.size();
  for (const W32Area& area : plan.areas) {
    for (const auto& ring : area.rings)
      n += ring.size();
  }
  return n;
}

bool fits(const FarShape& shape) {
  std::int64_t x0 = shape.points[0].x, y0 = shape.points[0].y, x1 = x0, y1 = y0;
  for (const PlatPoint& p : shape.points) {
    x0 = std::min(x0, p.x);
    x1 = std::max(x1, p.x);
    y0 = std::min(y0, p.y);
    y1 = std::max(y1, p.y);
  }
  return w32_fits(x0, y0, x1, y1, far_pen(shape), W, H);
}

}  // namespace

TEST(Win32Plans, FarShapesAgreeWithTheExactDrawingNearTheirBoundaries) {
  for (const FarShape& shape : far_shapes()) {
    SCOPED_TRACE(shape.name);
    ASSERT_FALSE(fits(shape)) << "the case would not need a plan";
    CanvasPtr exact = blank_canvas();
    draw_far_shape(shape, render_ops, exact.get());
    CanvasPtr planned = blank_canvas();
    const W32Plan plan = plan_of(shape);
    if (shape.kind == FarShape::RECTANGLE && w32_narrow_pen(far_pen(shape))) {
      // Narrow pens are never planned: the box is clamped instead.
      const auto& p = shape.points;
      const W32Box box = w32_clamp_box(p[0].x, p[0].y, p[1].x, p[1].y, W, H);
      render_rectangle(planned.get(), box.left, box.top, box.right, box.bottom, far_pen(shape),
                       far_brush(shape));
    } else {
      draw_plan(plan, far_pen(shape), far_brush(shape), planned.get());
    }
    const Comparison c = compare_near(picture_of(planned.get()), picture_of(exact.get()));
    EXPECT_EQ(c.far_off, 0) << c.differing << " pixels differ, the first far from any boundary at "
                            << c.first_x << ", " << c.first_y;
    std::string why;
    EXPECT_TRUE(within_margin(plan, &why)) << why;
    EXPECT_LT(point_count(plan), 20000u);
  }
}

// A narrow pen's rectangle is clamped, not planned, and that paints exactly
// what the whole box paints.
TEST(Win32Plans, ClampedBoxesPaintExactlyTheWholeBox) {
  constexpr std::int64_t far = std::int64_t{1} << 40;
  struct Case {
    std::int64_t left, top, right, bottom, pen_width;
    bool filled;
  };
  const Case cases[] = {
      {-far, -far, far, far, 0, true},             // covers everything
      {-far, 100, 300, far, 1, true},              // two edges on the canvas
      {-far, 100, 300, far, 4000, false},          // the widest narrow pen, hollow
      {301, -far, far, 200, 4000, true},           // a wide frame reaching in from the right
      {-far, -far, -W32_MARGIN, far, 4000, true},  // the frame's pen stops short of the canvas
      {far, far, -far, -far, 3, false},            // reversed corners
  };
  for (const Case& k : cases) {
    PlatPen pen;
    pen.color = FAR_PEN;
    pen.width = k.pen_width;
    ASSERT_TRUE(w32_narrow_pen(pen));
    PlatBrush brush;
    brush.color = FAR_BRUSH;
    brush.hollow = !k.filled;
    CanvasPtr whole = blank_canvas();
    render_rectangle(whole.get(), k.left, k.top, k.right, k.bottom, pen, brush);
    const W32Box box = w32_clamp_box(k.left, k.top, k.right, k.bottom, W, H);
    CanvasPtr clamped = blank_canvas();
    render_rectangle(clamped.get(), box.left, box.top, box.right, box.bottom, pen, brush);
    EXPECT_EQ(clamped->pixels, whole->pixels) << k.left << " " << k.top << " pen " << k.pen_width;
  }
}

TEST(Win32Plans, WhatGoesToGdiAsItIs) {
  PlatPen thin;
  PlatPen none;
  none.none = true;
  PlatPen widest_narrow;
  widest_narrow.width = 2 * (W32_MARGIN / 4 - 2);
  PlatPen too_wide;
  too_wide.width = widest_narrow.width + 2;
  const std::int64_t m = W32_MARGIN;
  struct Case {
    std::int64_t x0, y0, x1, y1;
    const PlatPen* pen;
    bool fits;
  };
  const Case cases[] = {
      {-300, -250, 300, 250, &thin, true},                  // the designer's whole scene
      {-m + 1, -m + 1, W + m - 1, H + m - 1, &thin, true},  // the thin pen's reach at the margin
      {-m, 0, 10, 10, &thin, false},                        // one beyond it
      {-m, 0, 10, 10, &none, true},                         // no pen paints nothing beyond
      {0, 0, 10, 10, &widest_narrow, true},
      {0, 0, 10, 10, &too_wide, false},
      {0, 0, 10, std::numeric_limits<std::int64_t>::max(), &none, false},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(w32_fits(k.x0, k.y0, k.x1, k.y1, *k.pen, W, H), k.fits)
        << k.x0 << " " << k.y0 << " " << k.x1 << " " << k.y1 << " width " << k.pen->width;
  }
}

// The most extreme inputs the seam can carry still give small plans inside
// the margin.
TEST(Win32Plans, ExtremeInputsStayWithinTheMargin) {
  constexpr std::int64_t lo = std::numeric_limits<std::int64_t>::min();
  constexpr std::int64_t hi = std::numeric_limits<std::int64_t>::max();
  PlatBrush solid;
  for (const std::int64_t width : {std::int64_t{0}, std::int64_t{9}, std::int64_t{1} << 20, hi}) {
    SCOPED_TRACE(width);
    PlatPen pen;
    pen.width = width;
    const PlatPoint corners[3] = {{lo, lo}, {hi, 0}, {0, hi}};
    const W32Plan plans[] = {
        w32_plan_polygon(corners, 3, pen, solid, W, H),
        w32_plan_ellipse(lo, lo, hi, hi, pen, solid, W, H),
        w32_plan_ellipse(lo, 0, hi, 1, pen, solid, W, H),
        w32_plan_rectangle(lo, lo, hi, hi, pen, solid, W, H),
        w32_plan_line({lo, lo}, {hi, hi}, pen, W, H),
    };
    for (const W32Plan& plan : plans) {
      std::string why;
      EXPECT_TRUE(within_margin(plan, &why)) << why;
      EXPECT_LT(point_count(plan), 20000u);
    }
  }
}

namespace {

// Even-odd: whether p lies inside the closed polygon.
bool inside(const std::vector<W32Real>& polygon, W32Real p) {
  bool in = false;
  for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const W32Real a = polygon[i], b = polygon[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y))
      in = !in;
  }
  return in;
}

}  // namespace

// Clipping keeps the even-odd fill at every point inside the bounds, for
// concave and self-crossing polygons with corners far outside.
TEST(Win32Plans, ClippingKeepsTheAlternateFillInside) {
  std::mt19937 random(12345);
  std::uniform_real_distribution<double> far(-4e9, 4e9);
  std::uniform_real_distribution<double> near_x(-50, 650);
  std::uniform_real_distribution<double> near_y(-50, 590);
  const W32Bounds bounds{-100, -100, 700, 640};
  for (int polygon_index = 0; polygon_index < 40; ++polygon_index) {
    std::vector<W32Real> polygon;
    const int corners = 3 + polygon_index % 6;
    for (int i = 0; i < corners; ++i) {
      // Some corners near, most far, so edges cross the bounds every way.
      polygon.push_back(i % 3 == 0 ? W32Real{near_x(random), near_y(random)}
                                   : W32Real{far(random), far(random)});
    }
    const std::vector<W32Real> clipped = w32_clip_polygon(polygon, bounds);
    for (int k = 0; k < 400; ++k) {
      const W32Real p{near_x(random) + 0.25, near_y(random) + 0.25};
      ASSERT_EQ(!clipped.empty() && inside(clipped, p), inside(polygon, p))
          << "polygon " << polygon_index << " at " << p.x << ", " << p.y;
    }
  }
}

// Sampled curves: every point lies on the curve, and every chord that comes
// near the bounds stays within the tolerance of it.
TEST(Win32Plans, SampledCurvesFollowTheCurveNearTheCanvas) {
  const W32Bounds bounds{-100, -100, 700, 640};
  struct Case {
    const char* name;
    W32Real c;
    double a, b;
  };
  const Case cases[] = {
      {"circle of radius one billion", {300, 1e9 + 220}, 1e9, 1e9},
      {"sliver", {0, 270}, 2.1e9, 20},
      {"tip inside", {2.1e9 + 100, 270}, 2.1e9, 70},
      {"small ellipse", {300, 270}, 250, 120},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const std::vector<W32Real> points = w32_ellipse_outline(k.c, k.a, k.b, bounds);
    ASSERT_GE(points.size(), 4u);
    EXPECT_LT(points.size(), 20000u);
    // Distance from the ellipse, to first order: |F - 1| / |grad F|.
    const auto distance = [&](W32Real p) {
      const double u = (p.x - k.c.x) / k.a, v = (p.y - k.c.y) / k.b;
      const double f = u * u + v * v;
      const double gx = 2 * u / k.a, gy = 2 * v / k.b;
      return std::fabs(f - 1) / std::hypot(gx, gy);
    };
    double worst_vertex = 0, worst_chord = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
      const W32Real p = points[i], q = points[(i + 1) % points.size()];
      worst_vertex = std::max(worst_vertex, distance(p));
      W32Real cp = p, cq = q;
      if (w32_clip_segment(&cp, &cq, bounds))
        worst_chord = std::max(worst_chord, distance({(p.x + q.x) / 2, (p.y + q.y) / 2}));
    }
    EXPECT_LT(worst_vertex, 1e-3);
    EXPECT_LE(worst_chord, W32_TOLERANCE * 1.01);
  }
}
