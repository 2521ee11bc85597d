// The far-reaching shapes (see far_shapes.h).
#include "tests/windows/far_shapes/far_shapes.h"

namespace {

constexpr std::int64_t kBillion = 1000000000;
constexpr std::int64_t k2p31 = std::int64_t{1} << 31;

// A circle of radius one billion whose top lies on the given row.
std::vector<PlatPoint> huge_circle(std::int64_t top = 220) {
  const std::int64_t cx = 300, cy = top + kBillion;
  return {{cx - kBillion, cy - kBillion}, {cx + kBillion + 1, cy + kBillion + 1}};
}

// A line between points two billion pixels out that passes through the
// middle of the canvas, and one whose 50000-pixel pen reaches into it.
std::vector<PlatPoint> crossing_line() {
  return {{-k2p31, -kBillion}, {k2p31, kBillion + 540}};
}
std::vector<PlatPoint> line_below() {
  return {{-k2p31, -24800 - 1000}, {k2p31, -24800 + 1000}};
}

}  // namespace

const std::vector<FarShape>& far_shapes() {
  using S = FarShape;
  static const std::vector<FarShape> shapes = {
      {"triangle with a corner two billion pixels away",
       S::POLYGON,
       {{300, 100}, {k2p31 - 1, 300}, {100, 500}},
       0,
       true},
      {"triangle around the whole canvas",
       S::POLYGON,
       {{-k2p31, -k2p31}, {2 * k2p31, 270}, {-k2p31, 2 * k2p31}},
       0,
       true},
      {"outlined triangle with two far corners",
       S::POLYGON,
       {{300, 270}, {-3 * kBillion, 100}, {5 * kBillion, 400}},
       0,
       false},
      {"triangle with a 40-pixel pen and far corners",
       S::POLYGON,
       {{300, 270}, {-3 * kBillion, 100}, {5 * kBillion, 400}},
       40,
       false},
      {"triangle whose 120000-pixel pen reaches half the canvas",
       S::POLYGON,
       {{-59700, -kBillion}, {-59700, kBillion}, {-2 * kBillion, 0}},
       120000,
       false},
      {"triangle whose widest pen reaches from a billion pixels away",
       S::POLYGON,
       {{-1073741500, -kBillion}, {-1073741500, kBillion}, {-2 * kBillion, 0}},
       2147483647,
       false},
      {"triangle wholly far away",
       S::POLYGON,
       {{k2p31, k2p31}, {k2p31 + 5, k2p31}, {k2p31, k2p31 + 5}},
       3,
       true},
      {"filled circle of radius one billion", S::ELLIPSE, huge_circle(), 0, true},
      {"outlined circle of radius one billion", S::ELLIPSE, huge_circle(), 0, false},
      {"circle of radius one billion with a 30-pixel pen", S::ELLIPSE, huge_circle(), 30, false},
      {"circle of radius one billion whose 50000-pixel pen reaches in", S::ELLIPSE,
       huge_circle(220 + 25000), 50000, false},
      {"circle of radius one billion without a pen", S::ELLIPSE, huge_circle(), -1, true},
      {"ellipse sliver four billion pixels long",
       S::ELLIPSE,
       {{-k2p31, 250}, {k2p31, 291}},
       0,
       true},
      {"ellipse whose tip lies inside the canvas",
       S::ELLIPSE,
       {{100, 70}, {100 + 80001, 471}},
       0,
       true},
      {"rectangle reaching two billion pixels",
       S::RECTANGLE,
       {{100, 100}, {k2p31, k2p31}},
       0,
       true},
      {"rectangle whose 40000-pixel pen covers half the canvas",
       S::RECTANGLE,
       {{20300, -2 * kBillion}, {2 * kBillion, 2 * kBillion}},
       40000,
       false},
      {"thin line between far points", S::LINE, crossing_line(), 0, false},
      {"9-pixel line between far points", S::LINE, crossing_line(), 9, false},
      {"line whose 50000-pixel pen reaches into the canvas", S::LINE, line_below(), 50000, false},
  };
  return shapes;
}

PlatPen far_pen(const FarShape& shape) {
  PlatPen pen;
  pen.color = FAR_PEN;
  pen.none = shape.pen_width < 0;
  pen.width = shape.pen_width < 0 ? 0 : shape.pen_width;
  return pen;
}

PlatBrush far_brush(const FarShape& shape) {
  PlatBrush brush;
  brush.color = FAR_BRUSH;
  brush.hollow = !shape.filled;
  return brush;
}

void draw_far_shape(const FarShape& shape, const ShapeOps& ops, PlatCanvas* canvas) {
  const PlatPen pen = far_pen(shape);
  const PlatBrush brush = far_brush(shape);
  const auto& p = shape.points;
  switch (shape.kind) {
    case FarShape::RECTANGLE:
      ops.rectangle(canvas, p[0].x, p[0].y, p[1].x, p[1].y, pen, brush);
      break;
    case FarShape::ELLIPSE:
      ops.ellipse(canvas, p[0].x, p[0].y, p[1].x, p[1].y, pen, brush);
      break;
    case FarShape::POLYGON:
      ops.polygon(canvas, p.data(), static_cast<int>(p.size()), pen, brush);
      break;
    case FarShape::LINE:
      ops.line(canvas, p[0], p[1], pen);
      break;
  }
}
