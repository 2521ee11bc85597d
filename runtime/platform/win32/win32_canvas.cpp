// Canvases and drawing on GDI. Pens and brushes arrive as values: each call
// creates what it needs, selects it, draws, puts the previous objects back and
// deletes its own before it returns, so nothing outlives the call and the
// device context is left as it was found.
//
// Coordinates arrive in 64 bits. A shape that lies within the margin of
// win32_geometry.h goes to GDI as it is; any other is drawn from its plan,
// whose coordinates all lie within that margin.
#include <algorithm>
#include <vector>

#include "runtime/platform/win32/win32_dpi.h"
#include "runtime/platform/win32/win32_geometry.h"
#include "runtime/platform/win32/win32_internal.h"

namespace {

HGDIOBJ create_pen(const PlatPen& pen) {
  if (pen.none)
    return GetStockObject(NULL_PEN);
  // Only narrow pens get here: their width is far within an int.
  const int width =
      pen.width > 1 ? static_cast<int>(std::min<std::int64_t>(pen.width, 1 << 20)) : 0;
  return CreatePen(PS_SOLID, width, pen.color);
}

HGDIOBJ create_brush(const PlatBrush& brush) {
  if (brush.hollow)
    return GetStockObject(NULL_BRUSH);
  return CreateSolidBrush(brush.color);
}

// The pen and the brush of one shape, selected for the scope of the call.
struct ShapeTools {
  ShapeTools(HDC dc, const PlatPen& pen, const PlatBrush& brush)
      : pen_selection(dc, create_pen(pen), !pen.none),
        brush_selection(dc, create_brush(brush), !brush.hollow) {}
  W32Selection pen_selection;
  W32Selection brush_selection;
};

// Moves the current position for one drawing and puts it back afterwards.
class CurrentPosition {
 public:
  explicit CurrentPosition(HDC dc) : dc_(dc) { GetCurrentPositionEx(dc_, &saved_); }
  ~CurrentPosition() { MoveToEx(dc_, saved_.x, saved_.y, nullptr); }
  CurrentPosition(const CurrentPosition&) = delete;
  CurrentPosition& operator=(const CurrentPosition&) = delete;

 private:
  HDC dc_;
  POINT saved_ = {};
};

// Polygons fill by the alternate (even-odd) rule while a shape is drawn.
class AlternateFill {
 public:
  explicit AlternateFill(HDC dc) : dc_(dc), saved_(SetPolyFillMode(dc, ALTERNATE)) {}
  ~AlternateFill() {
    if (saved_)
      SetPolyFillMode(dc_, saved_);
  }
  AlternateFill(const AlternateFill&) = delete;
  AlternateFill& operator=(const AlternateFill&) = delete;

 private:
  HDC dc_;
  int saved_;
};

void draw_areas(HDC dc, const W32Plan& plan, const PlatPen& pen, const PlatBrush& brush) {
  if (plan.areas.empty())
    return;
  W32Selection no_pen(dc, GetStockObject(NULL_PEN), false);
  AlternateFill alternate(dc);
  std::vector<POINT> points;
  std::vector<INT> counts;
  for (const W32Area& area : plan.areas) {
    points.clear();
    counts.clear();
    for (const auto& ring : area.rings) {
      for (const W32Point& p : ring)
        points.push_back(POINT{p.x, p.y});
      counts.push_back(static_cast<INT>(ring.size()));
    }
    W32Selection fill(dc, CreateSolidBrush(area.pen_color ? pen.color : brush.color), true);
    PolyPolygon(dc, points.data(), counts.data(), static_cast<int>(counts.size()));
  }
}

void draw_segments(HDC dc, const W32Plan& plan, const PlatPen& pen) {
  if (plan.segments.empty())
    return;
  W32Selection stroke(dc, create_pen(pen), !pen.none);
  CurrentPosition position(dc);
  for (const auto& [from, to] : plan.segments) {
    MoveToEx(dc, from.x, from.y, nullptr);
    LineTo(dc, to.x, to.y);
  }
}

void draw_plan(HDC dc, const W32Plan& plan, const PlatPen& pen, const PlatBrush& brush) {
  draw_areas(dc, plan, pen, brush);
  draw_segments(dc, plan, pen);
}

// A canvas fit to draw on, with its size; null for a null handle.
W32Canvas* target(PlatCanvas* canvas, int* width, int* height) {
  W32Canvas* c = w32_canvas(canvas);
  if (!c || !c->dc)
    return nullptr;
  w32_canvas_size(c, width, height);
  return c;
}

}  // namespace

void w32_canvas_size(const W32Canvas* canvas, int* width, int* height) {
  *width = 0;
  *height = 0;
  if (!canvas)
    return;
  if (!canvas->window) {
    *width = canvas->width;
    *height = canvas->height;
    return;
  }
  RECT rect = {};
  if (GetClientRect(canvas->window, &rect)) {
    *width = w32_to_runtime(canvas->window, rect.right - rect.left);
    *height = w32_to_runtime(canvas->window, rect.bottom - rect.top);
  }
}

PlatCanvas* w32_get_canvas(PlatWindow* window) {
  if (!w32_alive(window))
    return nullptr;
  HDC dc = GetDC(w32_hwnd(window));
  if (!dc)
    return nullptr;
  w32_scale_canvas(dc, w32_hwnd(window));
  auto* canvas = new W32Canvas;
  canvas->dc = dc;
  canvas->window = w32_hwnd(window);
  return reinterpret_cast<PlatCanvas*>(canvas);
}

void w32_release_canvas(PlatWindow*, PlatCanvas* canvas) {
  W32Canvas* c = w32_canvas(canvas);
  if (!c || !c->window)
    return;  // surfaces last as long as the process
  ReleaseDC(c->window, c->dc);
  delete c;
}

PlatCanvas* w32_create_surface(PlatCanvas* compatible, int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  // A memory DC would give a one-bit bitmap: surfaces take the pixel format
  // of a window, or else of the screen.
  const W32Canvas* like = w32_canvas(compatible);
  HDC screen = nullptr;
  HDC reference = like && like->window ? like->dc : (screen = GetDC(nullptr));
  HBITMAP bitmap = CreateCompatibleBitmap(reference, std::max(width, 1), std::max(height, 1));
  HDC dc = CreateCompatibleDC(reference);
  if (screen)
    ReleaseDC(nullptr, screen);
  if (!bitmap || !dc) {
    if (bitmap)
      DeleteObject(bitmap);
    if (dc)
      DeleteDC(dc);
    return nullptr;
  }
  // The one-pixel stock bitmap this replaces needs no keeping.
  SelectObject(dc, bitmap);
  PatBlt(dc, 0, 0, width, height, BLACKNESS);
  auto* canvas = new W32Canvas;
  canvas->dc = dc;
  canvas->bitmap = bitmap;
  canvas->width = width;
  canvas->height = height;
  return reinterpret_cast<PlatCanvas*>(canvas);
}

void w32_blit(PlatCanvas* dst, int dst_x, int dst_y, int width, int height, const PlatCanvas* src,
              int src_x, int src_y) {
  const W32Canvas* to = w32_canvas(dst);
  const W32Canvas* from = w32_canvas(src);
  if (!to || !from || width <= 0 || height <= 0)
    return;
  BitBlt(to->dc, dst_x, dst_y, width, height, from->dc, src_x, src_y, SRCCOPY);
}

void w32_scroll(PlatCanvas* canvas, int dy) {
  const W32Canvas* c = w32_canvas(canvas);
  if (!c || dy == 0)
    return;
  ScrollDC(c->dc, 0, dy, nullptr, nullptr, nullptr, nullptr);
}

void w32_fill_rect(PlatCanvas* canvas, std::int64_t left, std::int64_t top, std::int64_t right,
                   std::int64_t bottom, PlatColor color) {
  int width = 0, height = 0;
  W32Canvas* c = target(canvas, &width, &height);
  if (!c)
    return;
  RECT rect = {static_cast<LONG>(std::clamp<std::int64_t>(left, -1, width + 1)),
               static_cast<LONG>(std::clamp<std::int64_t>(top, -1, height + 1)),
               static_cast<LONG>(std::clamp<std::int64_t>(right, -1, width + 1)),
               static_cast<LONG>(std::clamp<std::int64_t>(bottom, -1, height + 1))};
  if (rect.left >= rect.right || rect.top >= rect.bottom)
    return;
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(c->dc, &rect, brush);
  DeleteObject(brush);
}

void w32_rectangle(PlatCanvas* canvas, std::int64_t left, std::int64_t top, std::int64_t right,
                   std::int64_t bottom, const PlatPen& pen, const PlatBrush& brush) {
  int width = 0, height = 0;
  W32Canvas* c = target(canvas, &width, &height);
  if (!c)
    return;
  if (!w32_narrow_pen(pen)) {
    draw_plan(c->dc, w32_plan_rectangle(left, top, right, bottom, pen, brush, width, height), pen,
              brush);
    return;
  }
  const W32Box box = w32_clamp_box(left, top, right, bottom, width, height);
  ShapeTools tools(c->dc, pen, brush);
  Rectangle(c->dc, box.left, box.top, box.right, box.bottom);
}

void w32_ellipse(PlatCanvas* canvas, std::int64_t left, std::int64_t top, std::int64_t right,
                 std::int64_t bottom, const PlatPen& pen, const PlatBrush& brush) {
  int width = 0, height = 0;
  W32Canvas* c = target(canvas, &width, &height);
  if (!c)
    return;
  if (!w32_fits(left, top, right, bottom, pen, width, height)) {
    draw_plan(c->dc, w32_plan_ellipse(left, top, right, bottom, pen, brush, width, height), pen,
              brush);
    return;
  }
  ShapeTools tools(c->dc, pen, brush);
  Ellipse(c->dc, static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
          static_cast<int>(bottom));
}

void w32_polygon(PlatCanvas* canvas, const PlatPoint* points, int count, const PlatPen& pen,
                 const PlatBrush& brush) {
  int width = 0, height = 0;
  W32Canvas* c = target(canvas, &width, &height);
  if (!c || !points || count < 2)
    return;
  std::int64_t x0 = points[0].x, y0 = points[0].y, x1 = x0, y1 = y0;
  for (int i = 1; i < count; ++i) {
    x0 = std::min(x0, points[i].x);
    x1 = std::max(x1, points[i].x);
    y0 = std::min(y0, points[i].y);
    y1 = std::max(y1, points[i].y);
  }
  if (!w32_fits(x0, y0, x1, y1, pen, width, height)) {
    draw_plan(c->dc, w32_plan_polygon(points, count, pen, brush, width, height), pen, brush);
    return;
  }
  std::vector<POINT> corners(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    corners[static_cast<std::size_t>(i)] = {static_cast<LONG>(points[i].x),
                                            static_cast<LONG>(points[i].y)};
  ShapeTools tools(c->dc, pen, brush);
  AlternateFill alternate(c->dc);
  Polygon(c->dc, corners.data(), count);
}

void w32_line(PlatCanvas* canvas, PlatPoint from, PlatPoint to, const PlatPen& pen) {
  int width = 0, height = 0;
  W32Canvas* c = target(canvas, &width, &height);
  if (!c || pen.none)
    return;
  if (!w32_fits(from.x, from.y, to.x, to.y, pen, width, height)) {
    const PlatBrush no_brush{0, true};
    draw_plan(c->dc, w32_plan_line(from, to, pen, width, height), pen, no_brush);
    return;
  }
  W32Selection stroke(c->dc, create_pen(pen), true);
  CurrentPosition position(c->dc);
  MoveToEx(c->dc, static_cast<int>(from.x), static_cast<int>(from.y), nullptr);
  LineTo(c->dc, static_cast<int>(to.x), static_cast<int>(to.y));
}

void w32_set_pixel(PlatCanvas* canvas, std::int64_t x, std::int64_t y, PlatColor color) {
  int width = 0, height = 0;
  W32Canvas* c = target(canvas, &width, &height);
  if (!c || x < 0 || y < 0 || x >= width || y >= height)
    return;
  SetPixel(c->dc, static_cast<int>(x), static_cast<int>(y), color);
}

const PlatDraw win32_draw = {
    .create_surface = w32_create_surface,
    .blit = w32_blit,
    .scroll = w32_scroll,
    .fill_rect = w32_fill_rect,
    .rectangle = w32_rectangle,
    .ellipse = w32_ellipse,
    .polygon = w32_polygon,
    .line = w32_line,
    .set_pixel = w32_set_pixel,
    .fixed_font = w32_fixed_font,
    .create_font = w32_create_font,
    .delete_font = w32_delete_font,
    .text_metrics = w32_text_metrics,
    .text_extent = w32_text_extent,
    .text_out = w32_text_out,
};
