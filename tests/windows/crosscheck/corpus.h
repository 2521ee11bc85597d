// The drawing commands the rasteriser cross-check draws twice: with GDI under
// Wine (gdi_render.cpp) and with the soft rasteriser (raster_crosscheck.cpp).
// Both sides read this one header, and picture_file.h for what GDI drew.
//
// Commands are in runtime coordinates on a 601 x 540 surface whose origin is
// the client area's, surface pixel (297, 248). Each command is drawn
// alone on a surface filled with the background colour.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/client_origin.h"

namespace corpus {

constexpr int kWidth = 601;
constexpr int kHeight = 540;
constexpr int kOriginX = CLIENT_ORIGIN_X;
constexpr int kOriginY = CLIENT_ORIGIN_Y;

// Kinds as the drawing command carries them.
constexpr std::uint32_t TRIANGLE = 0, RECTANGLE = 1, OVAL = 2, LINE = 3, PIXEL = 4, TEXT = 5;
constexpr std::array<const char*, 6> kKindNames = {"triangle", "rectangle", "oval",
                                                   "line",     "pixel",     "text"};

// Palette colours the corpus draws in: index and 0x00BBGGRR value.
struct Ink {
  int index;
  std::uint32_t value;
};
constexpr std::array<Ink, 5> kInks = {{
    {0, 0x000000},   // black
    {2, 0x0000FF},   // red
    {4, 0xFF0000},   // blue
    {9, 0x993300},   // navy blue
    {19, 0x336600},  // forest green
}};
// The surface before each command: white, 0x00RRGGBB as stored.
constexpr std::uint32_t kBackground = 0x00FFFFFF;

struct Command {
  std::uint32_t kind = 0;
  Ink ink{};
  int width = 0;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0, x3 = 0, y3 = 0;  // text: x2 is the size
  std::string text;
};

namespace detail {

struct Builder {
  std::vector<Command> commands;
  std::size_t next_ink = 0;

  Ink ink() { return kInks[next_ink++ % kInks.size()]; }
  void add(std::uint32_t kind, int width, int x1, int y1, int x2, int y2, int x3 = 0, int y3 = 0) {
    Command c;
    c.kind = kind;
    c.ink = ink();
    c.width = width;
    c.x1 = x1;
    c.y1 = y1;
    c.x2 = x2;
    c.y2 = y2;
    c.x3 = x3;
    c.y3 = y3;
    commands.push_back(c);
  }
};

// Boxes as (left, top, right, bottom) in runtime coordinates, top > bottom.
struct Box {
  int l, t, r, b;
};

// Boxes that cross the surface's edges: runtime x -297..303, y -291..248.
constexpr std::array<Box, 10> kEdgeBoxes = {{
    {-310, 30, -280, 5},     // left edge
    {290, 10, 320, -20},     // right edge
    {-20, 260, 25, 235},     // top edge
    {-15, -280, 15, -300},   // bottom edge
    {-305, 255, -285, 240},  // top-left corner
    {295, -285, 310, -297},  // bottom-right corner
    {-400, 300, 400, -350},  // around the whole surface
    {-299, 10, -298, -10},   // just outside on the left
    {-300, 250, 305, -293},  // the surface's own box, one pixel out
    {-297, 248, 303, -291},  // exactly the surface
}};

void add_rectangles(Builder& b) {
  // Width and height in pixels, at positions that vary their parity.
  constexpr std::array<std::array<int, 2>, 16> sizes = {{{1, 1},
                                                         {2, 1},
                                                         {1, 2},
                                                         {2, 2},
                                                         {3, 3},
                                                         {4, 4},
                                                         {5, 5},
                                                         {6, 6},
                                                         {7, 3},
                                                         {10, 7},
                                                         {11, 11},
                                                         {12, 13},
                                                         {20, 3},
                                                         {3, 20},
                                                         {40, 25},
                                                         {63, 64}}};
  for (int w = 0; w <= 5; ++w) {
    int i = 0;
    for (const auto& s : sizes) {
      const int l = -40 + 3 * i, t = 30 - 5 * i;
      const int r = l + s[0] - 1, bottom = t - s[1] + 1;
      b.add(RECTANGLE, w, l, t, r, bottom);
      // Corners in the other orders: both swapped, x only, y only.
      if (i % 3 == 0) {
        b.add(RECTANGLE, w, r, bottom, l, t);
        b.add(RECTANGLE, w, r, t, l, bottom);
        b.add(RECTANGLE, w, l, bottom, r, t);
      }
      ++i;
    }
    for (const Box& e : kEdgeBoxes)
      b.add(RECTANGLE, w, e.l, e.t, e.r, e.b);
  }
}

void add_ovals(Builder& b) {
  for (int w = 0; w <= 5; ++w) {
    // Circles as the circle operation makes them: the box of radius r.
    for (int r = 0; r <= 60; ++r) {
      const int x = (r * 7) % 13 - 6, y = (r * 5) % 11 - 5;
      b.add(OVAL, w, x - r, y + r, x + r, y - r);
    }
    // Ellipses by half-axes, odd and even pixel counts.
    constexpr std::array<std::array<int, 2>, 9> axes = {
        {{1, 0}, {0, 1}, {2, 1}, {5, 2}, {10, 3}, {3, 10}, {30, 8}, {60, 20}, {17, 40}}};
    for (const auto& a : axes)
      b.add(OVAL, w, 3 - a[0], -2 + a[1], 3 + a[0], -2 - a[1]);
    constexpr std::array<std::array<int, 2>, 6> even_boxes = {
        {{2, 2}, {4, 4}, {6, 3}, {10, 10}, {21, 8}, {8, 31}}};
    for (const auto& s : even_boxes)
      b.add(OVAL, w, 10, 20, 10 + s[0] - 1, 20 - s[1] + 1);
    // Corners in the other orders.
    b.add(OVAL, w, 20, -10, -20, 10);
    b.add(OVAL, w, 15, 12, -15, -12);
    for (const Box& e : kEdgeBoxes)
      b.add(OVAL, w, e.l, e.t, e.r, e.b);
  }
}

struct Triangle {
  int x1, y1, x2, y2, x3, y3;
};

void add_triangles(Builder& b) {
  constexpr std::array<Triangle, 18> triangles = {{
      {0, 0, 10, 0, 0, 10},
      {0, 0, 20, 5, 7, 17},
      {-10, 0, 10, 0, 0, 15},   // flat bottom
      {-10, 15, 10, 15, 0, 0},  // flat top
      {0, 0, 50, 1, 100, 3},    // sliver
      {0, 0, 1, 0, 0, 1},       // tiny
      {0, 0, 2, 1, 1, 2},
      {-3, -3, 4, -1, 0, 5},
      {5, 5, 5, 5, 5, 5},      // one point
      {0, 0, 9, 4, 9, 4},      // two points
      {0, 0, 10, 10, 20, 20},  // on one line
      {-200, -150, 250, -100, 0, 200},
      {-7, 12, 33, -20, 12, 40},
      {-50, -20, 50, -20, 0, -180},      // like the cone
      {-320, 0, -250, 40, -260, -40},    // left edge
      {280, 260, 320, 200, 250, 230},    // top-right corner
      {-100, -280, 100, -280, 0, -320},  // bottom edge
      {-500, 400, 600, 300, 0, -600},    // over the whole surface
  }};
  for (int w = 0; w <= 5; ++w) {
    for (const Triangle& t : triangles) {
      b.add(TRIANGLE, w, t.x1, t.y1, t.x2, t.y2, t.x3, t.y3);
      // The same corners in the other turning direction.
      b.add(TRIANGLE, w, t.x1, t.y1, t.x3, t.y3, t.x2, t.y2);
    }
  }
}

void add_lines(Builder& b) {
  // Ends relative to the start: every octant, the axes and diagonals, and
  // slopes whose exact line passes halfway between two pixels.
  constexpr std::array<std::array<int, 2>, 26> ends = {{
      {10, 0}, {0, 10}, {-10, 0}, {0, -10},  {10, 10}, {10, -10}, {-10, 10}, {-10, -10}, {10, 3},
      {3, 10}, {10, 5}, {5, 10},  {-10, 5},  {10, -5}, {-5, -10}, {7, 2},    {2, 7},     {13, 4},
      {4, 1},  {1, 4},  {40, 17}, {-33, 12}, {1, 0},   {0, 1},    {1, 1},    {2, 1},
  }};
  for (int w = 0; w <= 5; ++w) {
    int i = 0;
    for (const auto& e : ends) {
      const int x = (i * 3) % 7 - 3, y = (i * 2) % 5 - 2;
      b.add(LINE, w, x, y, x + e[0], y + e[1]);
      b.add(LINE, w, x + e[0], y + e[1], x, y);  // reversed
      ++i;
    }
    b.add(LINE, w, 5, 5, 5, 5);             // no length
    b.add(LINE, w, -400, 100, 400, -50);    // across the surface
    b.add(LINE, w, 0, 0, -350, 10);         // out on the left
    b.add(LINE, w, 0, 0, 330, 270);         // out at the top-right
    b.add(LINE, w, 20, -20, 25, -400);      // out at the bottom
    b.add(LINE, w, -297, 248, 303, 248);    // along the top row
    b.add(LINE, w, 303, -291, 303, 248);    // up the last column
    b.add(LINE, w, -500, 300, -400, -300);  // wholly outside
  }
}

void add_pixels(Builder& b) {
  constexpr std::array<std::array<int, 2>, 14> points = {{
      {0, 0},
      {1, -1},
      {-297, 248},
      {303, 248},
      {-297, -291},
      {303, -291},
      {-298, 0},
      {304, 0},
      {0, 249},
      {0, -292},
      {150, 77},
      {-123, -45},
      {-1, 1},
      {299, -290},
  }};
  for (const auto& p : points)
    b.add(PIXEL, 0, p[0], p[1], 0, 0);
}

void add_texts(Builder& b) {
  struct Placed {
    const char* text;
    int x, y;
  };
  const std::array<Placed, 8> texts = {{
      {"Add Scoop", -100, 20},
      {"m", 0, 0},
      {"Wg|Hxy", -50, -30},
      {"two\nlines", 20, 60},
      {"\n\nthird", -200, 100},
      {"", 0, 0},
      {"edge", -310, 240},
      {"corner", 270, -280},
  }};
  for (int size : {0, 12, 127}) {
    for (const Placed& p : texts) {
      Command c;
      c.kind = TEXT;
      c.ink = b.ink();
      c.x1 = size == 127 ? p.x / 2 : p.x;
      c.y1 = p.y;
      c.x2 = size;
      c.text = p.text;
      b.commands.push_back(c);
    }
  }
}

}  // namespace detail

// The whole corpus, always the same commands in the same order.
inline std::vector<Command> commands() {
  detail::Builder b;
  detail::add_rectangles(b);
  detail::add_ovals(b);
  detail::add_triangles(b);
  detail::add_lines(b);
  detail::add_pixels(b);
  detail::add_texts(b);
  return std::move(b.commands);
}

}  // namespace corpus
