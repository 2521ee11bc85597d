// One drawing command and the executor that paints it onto the off-screen
// surface.
#pragma once

#include <cstdint>

enum : std::uint32_t {
  DRAW_TRIANGLE = 0,
  DRAW_RECTANGLE = 1,
  DRAW_OVAL = 2,
  DRAW_LINE = 3,
  DRAW_PIXEL = 4,
  DRAW_TEXT = 5,
};

// Coordinates are runtime coordinates (origin at the client-area centre, y
// up). Rectangles and ovals carry their corners ordered: (x1, y1) top left,
// (x2, y2) bottom right. A text command carries ptsize in x2 and the handle
// of its text block (see text_blocks.h) in y2.
struct DrawCommand {
  std::uint32_t kind = 0;
  std::int32_t color = 0;
  std::int32_t width = 0;
  std::int32_t x1 = 0;
  std::int32_t y1 = 0;
  std::int32_t x2 = 0;
  std::int32_t y2 = 0;
  std::int32_t x3 = 0;
  std::int32_t y3 = 0;
};

// Paints the command onto surface_dc and sets surface_dirty; an unknown kind
// draws nothing but still marks the surface dirty.
void execute_draw_command(const DrawCommand& command);
