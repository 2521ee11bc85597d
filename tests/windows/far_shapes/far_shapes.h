// Shapes reaching far outside a 601 x 540 canvas, beyond what GDI takes as it
// is, each crossing the canvas somewhere: the cases for the win32 backend's
// plans, checked against the soft rasteriser's exact drawing natively and
// against GDI's under Wine.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/platform/platform.h"

inline constexpr int FAR_CANVAS_WIDTH = 601;
inline constexpr int FAR_CANVAS_HEIGHT = 540;

inline constexpr PlatColor FAR_BACKGROUND = 0x00302010;
inline constexpr PlatColor FAR_PEN = 0x000000FF;
inline constexpr PlatColor FAR_BRUSH = 0x0000FF00;

struct FarShape {
  enum Kind { RECTANGLE, ELLIPSE, POLYGON, LINE };
  const char* name;
  Kind kind;
  // Rectangle and ellipse: the box's top-left and bottom-right (excluded)
  // corners; polygon: the corners; line: its two ends.
  std::vector<PlatPoint> points;
  std::int64_t pen_width;  // below 0: no pen
  bool filled;
};

const std::vector<FarShape>& far_shapes();

PlatPen far_pen(const FarShape& shape);
PlatBrush far_brush(const FarShape& shape);

// The drawing operations of one backend, as the seam declares them.
struct ShapeOps {
  decltype(PlatDraw::rectangle) rectangle;
  decltype(PlatDraw::ellipse) ellipse;
  decltype(PlatDraw::polygon) polygon;
  decltype(PlatDraw::line) line;
};

void draw_far_shape(const FarShape& shape, const ShapeOps& ops, PlatCanvas* canvas);
