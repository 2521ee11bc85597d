// The executor: paints one drawing command onto the off-screen surface.
// Runtime point (x, y) is surface pixel (origin_x + x, origin_y - y); the sums
// are taken in 64 bits, so any 32-bit coordinate is safe, and the platform
// clips whatever lies off the surface.
#include <cstdint>
#include <cstring>
#include <string>

#include "runtime/draw/draw_command.h"
#include "runtime/draw/palette.h"
#include "runtime/draw/text_blocks.h"
#include "runtime/platform/text_bytes.h"
#include "runtime/window/window.h"

namespace {

std::int64_t surface_x(std::int32_t x) {
  return std::int64_t{origin_x} + x;
}
std::int64_t surface_y(std::int32_t y) {
  return std::int64_t{origin_y} - y;
}

PlatColor color_value(std::int32_t color) {
  // Producers pass checked colours; a stray index must still not read past
  // the table.
  if (color < 0 || color >= PALETTE_SIZE)
    color = RED;
  return palette_rgb[static_cast<std::size_t>(color)];
}

PlatPen pen_of(const DrawCommand& command) {
  PlatPen pen;
  pen.color = color_value(command.color);
  // Width 0 is the one-pixel pen.
  pen.width = command.width > 0 ? command.width : 0;
  return pen;
}

// Width 0 fills in the pen's colour, so a filled shape is one patch of
// colour; an outline leaves the inside alone.
PlatBrush brush_of(const DrawCommand& command) {
  PlatBrush brush;
  brush.color = color_value(command.color);
  brush.hollow = command.width > 0;
  return brush;
}

void draw_triangle(const DrawCommand& command) {
  const PlatPoint points[3] = {
      {surface_x(command.x1), surface_y(command.y1)},
      {surface_x(command.x2), surface_y(command.y2)},
      {surface_x(command.x3), surface_y(command.y3)},
  };
  plat->draw->polygon(surface_dc, points, 3, pen_of(command), brush_of(command));
}

// Rectangles and ovals: the box includes both corners' pixels, so right and
// bottom, which the platform excludes, lie one beyond them.
void draw_box(const DrawCommand& command, bool oval) {
  const std::int64_t left = surface_x(command.x1);
  const std::int64_t top = surface_y(command.y1);
  const std::int64_t right = surface_x(command.x2) + 1;
  const std::int64_t bottom = surface_y(command.y2) + 1;
  if (oval) {
    plat->draw->ellipse(surface_dc, left, top, right, bottom, pen_of(command), brush_of(command));
  } else {
    plat->draw->rectangle(surface_dc, left, top, right, bottom, pen_of(command), brush_of(command));
  }
}

void draw_line(const DrawCommand& command) {
  plat->draw->line(surface_dc, {surface_x(command.x1), surface_y(command.y1)},
                   {surface_x(command.x2), surface_y(command.y2)}, pen_of(command));
}

void draw_pixel(const DrawCommand& command) {
  plat->draw->set_pixel(surface_dc, surface_x(command.x1), surface_y(command.y1),
                        color_value(command.color));
}

int clamp_count(std::size_t n) {
  return n > INT32_MAX ? INT32_MAX : static_cast<int>(n);
}

// The anchor is the bottom-left corner of the first line's cell: line k
// (from 0) has its top h * (k - 1) rows below the anchor's row, h being the
// font's height measured over the whole text.
//
// The text's bytes are read by one rule for the whole text (text_bytes.h): a
// text that is not UTF-8 is converted whole before it is split, so that each
// line is read as its text is, never by what its own bytes happen to form.
void draw_text(const DrawCommand& command) {
  const char* text = text_block_lock(command.y2);
  if (!text)
    return;
  std::string converted;
  if (const std::size_t stored = std::strlen(text); !text_bytes::is_utf8(text, stored)) {
    converted = text_bytes::to_utf8(text, stored);
    text = converted.c_str();
  }
  PlatFont* font = plat->draw->create_font(command.x2);
  const PlatColor ink = color_value(command.color);

  const std::size_t n = std::strlen(text);
  int width = 0;
  int h = 0;
  plat->draw->text_extent(surface_dc, font, text, clamp_count(n), &width, &h);

  const std::int64_t x = surface_x(command.x1);
  const std::int64_t anchor_row = surface_y(command.y1);
  const char* piece = text;
  for (std::int64_t k = 0;; ++k) {
    const char* end = std::strchr(piece, '\n');
    const std::size_t length = end ? static_cast<std::size_t>(end - piece) : std::strlen(piece);
    if (length > 0) {
      plat->draw->text_out(surface_dc, font, x, anchor_row + (k - 1) * h, piece,
                           clamp_count(length), ink, false, 0);
    }
    if (!end)
      break;
    piece = end + 1;
  }

  text_block_unlock(command.y2);
  plat->draw->delete_font(font);
}

}  // namespace

void execute_draw_command(const DrawCommand& command) {
  switch (command.kind) {
    case DRAW_TRIANGLE:
      draw_triangle(command);
      break;
    case DRAW_RECTANGLE:
      draw_box(command, false);
      break;
    case DRAW_OVAL:
      draw_box(command, true);
      break;
    case DRAW_LINE:
      draw_line(command);
      break;
    case DRAW_PIXEL:
      draw_pixel(command);
      break;
    case DRAW_TEXT:
      draw_text(command);
      break;
    default:
      // An unknown kind draws nothing; the flag is set all the same.
      break;
  }
  surface_dirty = 1;
}
