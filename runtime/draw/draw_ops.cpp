// The public drawing operations. Each one repairs a bad colour, a negative
// radius, width or text size (and says so in the log window whatever the
// logging switch says), describes the call in one echo line while logging is
// on, and hands one command to the executor. VELKO_wipe paints the surface
// itself.
#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

#include "runtime/draw/draw_command.h"
#include "runtime/draw/palette.h"
#include "runtime/draw/text_blocks.h"
#include "runtime/log/log_window.h"
#include "runtime/platform/text_bytes.h"
#include "runtime/velko.h"
#include "runtime/window/window.h"

namespace {

// Room for 1023 characters of text and the terminator.
constexpr int PRINT_BUFFER_SIZE = 1024;

// The absolute value of a size. -2147483648 has no 32-bit negation; the
// nearest size there is, 2147483647, stands in for it.
int negated(int value) {
  return value == INT_MIN ? INT_MAX : -value;
}

int repair_width(int width) {
  if (width >= 0)
    return width;
  const int repaired = negated(width);
  VELKO_log("Width of %d not possible, using width %d\n", width, repaired);
  return repaired;
}

// A circle's command carries its bounding box, x - radius .. x + radius and
// y - radius .. y + radius, in 32-bit fields. Clamping an edge that does not
// fit would not be harmless for an ellipse: the clamped box has another
// centre and other axes, so a huge circle crossing the surface would be drawn
// somewhere else, silently. Instead the radius is repaired, like a negative
// one and with the same line, to the largest radius whose box fits. Every
// circle with |x| + radius and |y| + radius up to 2147483647 is drawn as
// given; a repaired one reached past the 32-bit coordinates, over two
// billion pixels from the surface.
int fitting_radius(int x, int y, int radius) {
  const std::int64_t cx = x;
  const std::int64_t cy = y;
  std::int64_t limit = radius;
  limit = std::min<std::int64_t>(limit, INT_MAX - cx);
  limit = std::min<std::int64_t>(limit, cx - INT_MIN);
  limit = std::min<std::int64_t>(limit, INT_MAX - cy);
  limit = std::min<std::int64_t>(limit, cy - INT_MIN);
  return static_cast<int>(limit);
}

void run_command(std::uint32_t kind, int color, int width, int x1, int y1, int x2, int y2,
                 int x3 = 0, int y3 = 0) {
  DrawCommand command;
  command.kind = kind;
  command.color = color;
  command.width = width;
  command.x1 = x1;
  command.y1 = y1;
  command.x2 = x2;
  command.y2 = y2;
  command.x3 = x3;
  command.y3 = y3;
  execute_draw_command(command);
}

// The text worker: everything of VELKO_print_at after the formatting.
int print_text(int color, int x, int y, int ptsize, const char* text) {
  if (ptsize < 0) {
    const int repaired = negated(ptsize);
    VELKO_log("ptsize of %d not possible, using ptsize %d\n", ptsize, repaired);
    ptsize = repaired;
  }
  if (ptsize > MAX_PTSIZE) {
    VELKO_log("ptsize of %d not possible, using ptsize %d\n", ptsize, MAX_PTSIZE);
    ptsize = MAX_PTSIZE;
  }
  color = check_color(color);
  // VELKO_log cuts the echo of a long text at its own 1023 characters.
  if (logging_enabled)
    VELKO_log("%s text at (%d,%d), \"%s\"\n", color_names[color], x, y, text);

  const int length = static_cast<int>(std::strlen(text));
  const std::int32_t block = text_block_alloc(text, length);
  DrawCommand command;
  command.kind = DRAW_TEXT;
  command.color = color;
  command.x1 = x;
  command.y1 = y;
  command.x2 = ptsize;
  command.y2 = block;
  execute_draw_command(command);
  text_block_free(block);
  return length;
}

}  // namespace

int VELKO_circle(int color, int x, int y, int radius) {
  color = check_color(color);
  if (radius < 0) {
    const int repaired = negated(radius);
    VELKO_log("Radius of %d not possible, using radius %d\n", radius, repaired);
    radius = repaired;
  }
  const int fitting = fitting_radius(x, y, radius);
  if (fitting != radius) {
    VELKO_log("Radius of %d not possible, using radius %d\n", radius, fitting);
    radius = fitting;
  }
  if (logging_enabled) {
    VELKO_log("%s circle at (%d,%d), radius %d\n", color_names[color], x, y, radius);
  }
  run_command(DRAW_OVAL, color, 0, x - radius, y + radius, x + radius, y - radius);
  return 1;
}

int VELKO_triangle(int color, int x1, int y1, int x2, int y2, int x3, int y3, int width) {
  color = check_color(color);
  width = repair_width(width);
  if (logging_enabled) {
    VELKO_log("%s triangle at (%d,%d), (%d,%d), (%d,%d)\n", color_names[color], x1, y1, x2, y2, x3,
              y3);
  }
  run_command(DRAW_TRIANGLE, color, width, x1, y1, x2, y2, x3, y3);
  return 1;
}

int VELKO_rectangle(int color, int x1, int y1, int x2, int y2, int width) {
  // Top left is the smaller x and the larger y.
  if (x1 > x2)
    std::swap(x1, x2);
  if (y1 < y2)
    std::swap(y1, y2);
  color = check_color(color);
  width = repair_width(width);
  if (logging_enabled) {
    if (width == 0) {
      VELKO_log("%s rectangle with bounding box (%d,%d) to (%d,%d), filled\n", color_names[color],
                x1, y1, x2, y2);
    } else {
      VELKO_log("%s rectangle with bounding box (%d,%d) to (%d,%d) with line width %d\n",
                color_names[color], x1, y1, x2, y2, width);
    }
  }
  run_command(DRAW_RECTANGLE, color, width, x1, y1, x2, y2);
  return 1;
}

int VELKO_line(int color, int x1, int y1, int x2, int y2, int width) {
  color = check_color(color);
  width = repair_width(width);
  if (logging_enabled) {
    VELKO_log("%s line from (%d,%d) to (%d,%d), width %d\n", color_names[color], x1, y1, x2, y2,
              width);
  }
  run_command(DRAW_LINE, color, width, x1, y1, x2, y2);
  return 1;
}

int VELKO_pixel(int color, int x, int y) {
  color = check_color(color);
  if (logging_enabled)
    VELKO_log("%s pixel at (%d,%d)\n", color_names[color], x, y);
  run_command(DRAW_PIXEL, color, 0, x, y, 0, 0);
  return 1;
}

int VELKO_print_at(int color, int x, int y, int ptsize, const char* format, ...) {
  // Bounded: a longer text is cut at 1023 characters, and what is drawn is
  // what the result counts.
  char text[PRINT_BUFFER_SIZE] = "";
  if (format) {
    va_list args;
    va_start(args, format);
    const int formatted = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (formatted < 0)
      text[0] = '\0';
    // A UTF-8 text cut inside its last character loses that character
    // rather than its reading as UTF-8.
    if (formatted >= PRINT_BUFFER_SIZE)
      text[text_bytes::utf8_cut(text, PRINT_BUFFER_SIZE - 1)] = '\0';
  }
  return print_text(color, x, y, ptsize, text);
}

int VELKO_wipe() {
  if (logging_enabled)
    VELKO_log("Clearing the graphics window\n");
  // The thin black pen is the one a surface holds between commands; it
  // outlines the white box, so the outermost rows and columns come out black.
  PlatPen pen;
  pen.color = palette_rgb[BLACK];
  pen.width = 0;
  PlatBrush brush;
  brush.color = palette_rgb[WHITE];
  plat->draw->rectangle(surface_dc, 0, 0, SURFACE_WIDTH, SURFACE_HEIGHT, pen, brush);
  surface_dirty = 1;
  return 1;
}
