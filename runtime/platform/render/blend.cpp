// Glyph coverage blended into canvas pixels, four at a time.
#include "runtime/platform/render/blend.h"

#include <cstring>

namespace {

typedef std::uint8_t RenderBytes __attribute__((vector_size(16)));
typedef std::uint32_t RenderWords __attribute__((vector_size(16)));
typedef std::uint16_t RenderLanes __attribute__((vector_size(32)));

// Four pixels at once, one channel in each 16-bit lane; the top byte goes the
// same way, towards the ink's 0. The sums t stay at or below 65152, where
// t / 255 is exactly (t + 1 + (t >> 8)) >> 8. A coverage of 0 gives the pixel
// back unchanged. quad holds the four coverages, the first in its low byte. Always inlined, so that
// it is built for the instruction set of its caller.
inline __attribute__((always_inline)) RenderWords blend_quad(RenderWords under, std::uint32_t quad,
                                                             const RenderLanes& ink) {
  typedef std::uint16_t Pairs __attribute__((vector_size(16)));
  const RenderWords words = {quad, 0, 0, 0};
  const RenderBytes q = reinterpret_cast<const RenderBytes&>(words);
  // Each coverage four times over, by two interleavings with itself.
  const RenderBytes twice =
      __builtin_shufflevector(q, q, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
  const Pairs pairs = reinterpret_cast<const Pairs&>(twice);
  const Pairs four = __builtin_shufflevector(pairs, pairs, 0, 8, 1, 9, 2, 10, 3, 11);
  const RenderBytes spread = reinterpret_cast<const RenderBytes&>(four);
  const RenderLanes a = __builtin_convertvector(spread, RenderLanes);
  const RenderLanes u =
      __builtin_convertvector(reinterpret_cast<const RenderBytes&>(under), RenderLanes);
  RenderLanes t = u * (255 - a) + ink * a + 127;
  t = (t + 1 + (t >> 8)) >> 8;
  const RenderBytes packed = __builtin_convertvector(t, RenderBytes);
  return reinterpret_cast<const RenderWords&>(packed);
}

// One row; see render_blend_box.
inline __attribute__((always_inline)) bool blend_row(std::uint32_t* dst, const std::uint8_t* cover,
                                                     std::size_t n, const RenderLanes& ink) {
  if (n < 4) {
    // One quad of its own, nothing read or written beyond the n pixels.
    const std::uint32_t second = n > 1 ? cover[1] : 0;
    const std::uint32_t third = n > 2 ? cover[2] : 0;
    const std::uint32_t quad = n > 0 ? cover[0] | second << 8 | third << 16 : 0;
    if (quad == 0)
      return false;
    const RenderWords under = {dst[0], n > 1 ? dst[1] : 0, n > 2 ? dst[2] : 0, 0};
    const RenderWords out = blend_quad(under, quad, ink);
    dst[0] = out[0];
    if (n > 1)
      dst[1] = out[1];
    if (n > 2)
      dst[2] = out[2];
    return true;
  }
  // A row that is not a whole number of quads ends with a quad that overlaps
  // the one before it. It is worked out from the pixels as they were, before
  // any is written, so the pixels the two share come out the same from both.
  if (n <= 8) {
    // Two quads at most, the common case for glyphs up to 20 pixels or so.
    std::uint32_t first = 0, last = 0;
    std::memcpy(&first, cover, sizeof first);
    std::memcpy(&last, cover + n - 4, sizeof last);
    if ((first | last) == 0)
      return false;
    RenderWords a, b;
    std::memcpy(&a, dst, sizeof a);
    std::memcpy(&b, dst + n - 4, sizeof b);
    a = blend_quad(a, first, ink);
    b = blend_quad(b, last, ink);
    std::memcpy(dst, &a, sizeof a);
    std::memcpy(dst + n - 4, &b, sizeof b);
    return true;
  }
  std::uint32_t last_quad = 0;
  std::memcpy(&last_quad, cover + n - 4, sizeof last_quad);
  RenderWords last_out;
  std::memcpy(&last_out, dst + n - 4, sizeof last_out);
  if (last_quad != 0)
    last_out = blend_quad(last_out, last_quad, ink);
  std::uint32_t any = last_quad;
  for (std::size_t i = 0; i + 4 <= n; i += 4) {
    std::uint32_t quad = 0;
    std::memcpy(&quad, cover + i, sizeof quad);
    any |= quad;
    if (quad == 0)
      continue;
    RenderWords under;
    std::memcpy(&under, dst + i, sizeof under);
    const RenderWords out = blend_quad(under, quad, ink);
    std::memcpy(dst + i, &out, sizeof out);
  }
  if (n % 4 != 0 && last_quad != 0)
    std::memcpy(dst + n - 4, &last_out, sizeof last_out);
  return any != 0;
}

// Built twice, for processors with AVX2 (where the sixteen lanes of a quad
// fit one register) and for the others; the loader picks one. That takes the
// ELF loader's indirect functions and GCC's way of making them (clang 14
// leaves the symbol undefined in a static library): elsewhere there is one
// build.
#if defined(__ELF__) && defined(__x86_64__) && !defined(__clang__)
#define VELKO_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define VELKO_CLONES
#endif

}  // namespace

VELKO_CLONES bool render_blend_box(std::uint32_t* dst, std::ptrdiff_t dst_stride,
                                   const std::uint8_t* cover, std::ptrdiff_t cover_stride,
                                   std::size_t width, std::size_t rows, std::uint32_t ink) {
  const RenderWords ink_words = {ink, ink, ink, ink};
  const RenderLanes ink_lanes =
      __builtin_convertvector(reinterpret_cast<const RenderBytes&>(ink_words), RenderLanes);
  bool any = false;
  for (std::size_t r = 0; r < rows; ++r, dst += dst_stride, cover += cover_stride)
    any = blend_row(dst, cover, width, ink_lanes) || any;
  return any;
}
