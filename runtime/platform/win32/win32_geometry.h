// Shapes brought into the coordinate range GDI can take.
//
// GDI keeps device coordinates in 28.4 fixed point (about +-2^27 pixels) and
// spends time and memory in proportion to a shape's size (Wine's GDI builds a
// region over every row of an ellipse, and one per round cap of a wide pen).
// The seam hands 64-bit coordinates. So a shape goes to GDI as it is only when
// everything it can paint lies within W32_MARGIN pixels of the canvas and its
// pen is narrow; any other shape is first turned into a plan of areas and
// segments whose coordinates all lie within that margin.
//
// What a plan changes, and what it keeps:
// - Rectangles are never planned for a narrow pen: their box is clamped to
//   the canvas plus half the margin, which paints exactly the same pixels.
// - Polygons are clipped to the canvas plus the margin (Sutherland-Hodgman,
//   which keeps the even-odd fill everywhere inside the clip box); edges are
//   clipped on their own for the pen. A cut end moves on along its edge to
//   the next whole pixel of the edge when one lies near (an edge whose
//   direction reduces to small whole numbers, such as any axis-parallel, 45
//   degree or 1:2 edge), so the cut edge runs through exactly the pixel
//   centres of the whole edge and GDI draws it the same, ties included.
//   Otherwise the cut end is rounded to a whole pixel, and an edge with both
//   ends cut may move by up to half a pixel.
// - Ellipses are replaced by polygons whose vertices lie on the ellipse,
//   sampled finely (within W32_TOLERANCE of the curve) wherever the curve is
//   near the canvas and coarsely elsewhere, without a coarse chord ever
//   entering the clip box; the vertices are rounded to whole pixels.
// - Wide pens (reach beyond a quarter of the margin) become areas in the
//   pen's colour: one capsule (every point within w/2 of the edge) per edge of
//   a polygon, a rectangle's frame or a line, and the band between the
//   ellipses w/2 outside and inside the path of an ellipse's outline.
// So every pixel a plan paints differently from the exact shape lies within
// one pixel of that shape's boundary, and nothing is painted anywhere else.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "runtime/platform/platform.h"

// Shapes within this many pixels of the canvas go to GDI as they are.
inline constexpr std::int64_t W32_MARGIN = std::int64_t{1} << 14;

// How closely sampled curves follow the true curve near the canvas, in pixels.
inline constexpr double W32_TOLERANCE = 0.1;

struct W32Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// How far beyond the path it follows a pen can paint, in whole pixels: 0 for
// no pen, 1 for the thin pen.
std::int64_t w32_pen_reach(const PlatPen& pen);

// A pen GDI draws itself; a wider one is replaced by areas in a plan.
bool w32_narrow_pen(const PlatPen& pen);

// Whether a shape whose points span [x0, x1] x [y0, y1] and whose pen paints
// reach pixels beyond them can go to GDI as it is on a width x height canvas.
bool w32_fits(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
              const PlatPen& pen, int width, int height);

// The box [left, right) x [top, bottom) clamped to the canvas plus half the
// margin: for a narrow pen it paints exactly what the whole box paints.
struct W32Box {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};
W32Box w32_clamp_box(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
                     int width, int height);

// A shape as GDI can take it: areas painted first, in order, each with its
// rings filled together by the alternate (even-odd) rule; then segments
// drawn with the shape's pen, each without its end pixel.
struct W32Area {
  std::vector<std::vector<W32Point>> rings;
  bool pen_color = false;  // painted in the pen's colour, else the brush's
};
struct W32Plan {
  std::vector<W32Area> areas;
  std::vector<std::pair<W32Point, W32Point>> segments;
};

// The plans, for a width x height canvas. A rectangle is planned only for a
// pen that is not narrow.
W32Plan w32_plan_rectangle(std::int64_t left, std::int64_t top, std::int64_t right,
                           std::int64_t bottom, const PlatPen& pen, const PlatBrush& brush,
                           int width, int height);
W32Plan w32_plan_ellipse(std::int64_t left, std::int64_t top, std::int64_t right,
                         std::int64_t bottom, const PlatPen& pen, const PlatBrush& brush, int width,
                         int height);
W32Plan w32_plan_polygon(const PlatPoint* points, int count, const PlatPen& pen,
                         const PlatBrush& brush, int width, int height);
W32Plan w32_plan_line(PlatPoint from, PlatPoint to, const PlatPen& pen, int width, int height);

// ---------------------------------------------------------------------------
// The pieces plans are made of, in real coordinates where integer points are
// pixel centres.

struct W32Real {
  double x = 0;
  double y = 0;
};

struct W32Bounds {
  double left = 0, top = 0, right = 0, bottom = 0;
};

// The closed outline of the ellipse with centre c and semi-axes a and b, as
// points on it: consecutive points are within W32_TOLERANCE of the curve
// where the curve comes near the bounds, and their chord stays outside the
// bounds elsewhere.
std::vector<W32Real> w32_ellipse_outline(W32Real c, double a, double b, const W32Bounds& bounds);

// The closed outline of the capsule around the segment from p to q: every
// point within radius of it.
std::vector<W32Real> w32_capsule_outline(W32Real p, W32Real q, double radius,
                                         const W32Bounds& bounds);

// A closed polygon clipped to the bounds; empty when nothing is left.
std::vector<W32Real> w32_clip_polygon(const std::vector<W32Real>& points, const W32Bounds& bounds);

// A segment clipped to the bounds; false when nothing of it lies inside.
bool w32_clip_segment(W32Real* p, W32Real* q, const W32Bounds& bounds);
