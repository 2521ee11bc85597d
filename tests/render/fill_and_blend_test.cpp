// The span fill and the glyph blend against plain per-pixel references, over
// every alignment and length that matters, with guards around the run.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "runtime/platform/render/blend.h"
#include "runtime/platform/render/render.h"

namespace {

constexpr std::uint32_t kGuard = 0x00A5A5A5;

// The channel formula, one channel at a time.
std::uint32_t reference_blend(std::uint32_t under, std::uint32_t ink, unsigned alpha) {
  std::uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const unsigned a = (under >> shift) & 0xFFu;
    const unsigned b = (ink >> shift) & 0xFFu;
    out |= ((a * (255 - alpha) + b * alpha + 127) / 255) << shift;
  }
  return out;
}

TEST(SpanFill, SetsExactlyTheRunAtEveryAlignment) {
  for (std::size_t offset = 0; offset < 8; ++offset) {
    for (std::size_t n : {0, 1, 2, 3, 4, 5, 7, 15, 16, 17, 31, 33, 64, 598}) {
      std::vector<std::uint32_t> row(n + 16, kGuard);
      render_fill_span(row.data() + offset, n, 0x00123456);
      for (std::size_t i = 0; i < row.size(); ++i) {
        const bool inside = i >= offset && i < offset + n;
        ASSERT_EQ(row[i], inside ? 0x00123456u : kGuard) << offset << " " << n << " " << i;
      }
    }
  }
}

struct BlendCase {
  std::size_t width, rows;
  const char* what;
};

TEST(GlyphBlend, MatchesTheChannelFormulaAndStaysInsideTheBox) {
  const BlendCase cases[] = {{0, 1, "empty"},      {1, 1, "one pixel"},   {3, 2, "under a quad"},
                             {4, 3, "one quad"},   {5, 2, "overlapping"}, {8, 4, "two quads"},
                             {9, 1, "past eight"}, {13, 3, "loop, tail"}, {16, 2, "whole quads"},
                             {21, 5, "wide glyph"}};
  const std::uint32_t ink = 0x0033CC99;
  for (const BlendCase& c : cases) {
    // Rows of the target are wider than the box, so that the guards show
    // anything written beside it.
    const std::size_t stride = c.width + 6, cover_stride = c.width + 3;
    std::vector<std::uint32_t> pixels(stride * (c.rows + 2), kGuard);
    std::vector<std::uint8_t> cover(cover_stride * c.rows);
    for (std::size_t i = 0; i < cover.size(); ++i)
      cover[i] = static_cast<std::uint8_t>((i * 37 + c.width) % 5 == 0 ? 0 : (i * 71) % 256);
    for (std::size_t i = 0; i < pixels.size(); ++i)
      pixels[i] = static_cast<std::uint32_t>((i * 2654435761u) & 0xFFFFFFu);
    std::vector<std::uint32_t> expected = pixels;
    bool any = false;
    for (std::size_t r = 0; r < c.rows; ++r) {
      for (std::size_t x = 0; x < c.width; ++x) {
        const unsigned a = cover[r * cover_stride + x];
        std::uint32_t& p = expected[(r + 1) * stride + 3 + x];
        if (a != 0)
          p = reference_blend(p, ink, a);
        any = any || a != 0;
      }
    }
    const bool changed = render_blend_box(
        pixels.data() + stride + 3, static_cast<std::ptrdiff_t>(stride), cover.data(),
        static_cast<std::ptrdiff_t>(cover_stride), c.width, c.rows, ink);
    EXPECT_EQ(changed, any) << c.what;
    EXPECT_EQ(pixels, expected) << c.what;
  }
}

TEST(GlyphBlend, EveryAlphaOverEveryChannelValue) {
  // Four pixels per call: every combination of under and ink channel values
  // for one alpha, in all three channels at once.
  for (unsigned alpha = 0; alpha < 256; alpha += 3) {
    for (unsigned under = 0; under < 256; under += 4) {
      std::uint32_t px[4], expected[4];
      std::uint8_t cover[4] = {static_cast<std::uint8_t>(alpha), static_cast<std::uint8_t>(alpha),
                               static_cast<std::uint8_t>(alpha), static_cast<std::uint8_t>(alpha)};
      const std::uint32_t ink = (255 - under) | ((under * 7) & 255) << 8 | under << 16;
      for (unsigned k = 0; k < 4; ++k) {
        px[k] = ((under + k) & 255) | (((under + 85 * k) & 255) << 8) | ((255 - under) << 16);
        expected[k] = alpha == 0 ? px[k] : reference_blend(px[k], ink, alpha);
      }
      render_blend_box(px, 4, cover, 4, 4, 1, ink);
      for (unsigned k = 0; k < 4; ++k)
        ASSERT_EQ(px[k], expected[k]) << alpha << " " << under << " " << k;
    }
  }
}

}  // namespace
