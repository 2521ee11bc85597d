// Drawing commands built in one expression, for the tests that hand them to
// the executor.
#pragma once

#include <cstdint>

#include "runtime/draw/draw_command.h"

// The fields in the order DrawCommand declares them; those left out are 0.
inline DrawCommand command_of(std::uint32_t kind, int color, int width, int x1, int y1, int x2 = 0,
                              int y2 = 0, int x3 = 0, int y3 = 0) {
  DrawCommand c;
  c.kind = kind;
  c.color = color;
  c.width = width;
  c.x1 = x1;
  c.y1 = y1;
  c.x2 = x2;
  c.y2 = y2;
  c.x3 = x3;
  c.y3 = y3;
  return c;
}

// A text command: ptsize and the text block's handle ride in x2 and y2.
inline DrawCommand text_command_of(int color, int x, int y, int ptsize, std::int32_t block) {
  return command_of(DRAW_TEXT, color, 0, x, y, ptsize, block);
}
