// Filled ellipses against their rule, pixel by pixel: the pixels whose
// centres lie strictly inside the ellipse inscribed in the box's outer
// edges, for boxes of every small size and for large ones that only part of
// the canvas sees, from every side.
#include <gtest/gtest.h>

#include <string>

#include "tests/soft/raster_helpers.h"

namespace {

using i128 = __int128;

// The box [l, r) x [t, b): inside when (2p - cx2)^2 * b2^2 + (2q - cy2)^2 * a2^2
// < a2^2 * b2^2, in doubled units.
bool rule(std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b, std::int64_t p,
          std::int64_t q) {
  const i128 a2 = r - l, b2 = b - t;
  const i128 x = 2 * i128{p} - (l + r - 1), y = 2 * i128{q} - (t + b - 1);
  return x * x * b2 * b2 + y * y * a2 * a2 < a2 * a2 * b2 * b2;
}

// Draws the box twice, with the thin pen of the brush's colour (the whole
// box) and with no pen (one pixel less right and bottom), and checks both.
void check(std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b,
           const std::string& what) {
  constexpr int W = 48, H = 40;
  for (bool pen : {true, false}) {
    auto c = make_canvas(W, H);
    plat_ellipse(c.get(), l, t, r, b, pen ? pen_of(0, kInk) : no_pen(), brush_of(kInk));
    const std::int64_t rr = pen ? r : r - 1, bb = pen ? b : b - 1;
    for (int q = 0; q < H; ++q) {
      for (int p = 0; p < W; ++p) {
        ASSERT_EQ(inked(c, p, q), rr > l && bb > t && rule(l, t, rr, bb, p, q))
            << what << (pen ? " with pen" : " without pen") << " at " << p << "," << q;
      }
    }
  }
}

TEST(RasterEllipseRule, EverySmallBox) {
  for (int w = 1; w <= 19; ++w) {
    for (int h = 1; h <= 19; ++h) {
      check(5, 3, 5 + w, 3 + h, std::to_string(w) + "x" + std::to_string(h));
      check(-w / 2, 30 - h / 2, w - w / 2, 30 + h - h / 2,
            "on the edge " + std::to_string(w) + "x" + std::to_string(h));
    }
  }
}

TEST(RasterEllipseRule, LargeEllipsesSeenInPart) {
  struct Box {
    std::int64_t l, t, r, b;
    const char* what;
  };
  const Box boxes[] = {
      {-2000, -1000, 2050, 35, "centre far above, bottom edge on the canvas"},
      {-2000, 10, 2050, 4000, "centre far below, top edge on the canvas"},
      {-3000, -20, 30, 60, "centre far left"},
      {20, -20, 5000, 60, "centre far right"},
      {-100, -100, 150, 140, "covering the canvas"},
      {-60000, -40000, 60049, 40039, "axes beyond 2^15"},
      {-70000, -5, 70000, 37, "one long axis"},
  };
  for (const Box& box : boxes)
    check(box.l, box.t, box.r, box.b, box.what);
}

}  // namespace
