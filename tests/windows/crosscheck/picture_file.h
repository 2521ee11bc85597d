// Pictures of single commands and the file that carries them from the GDI
// side of the cross-check to the soft side, and their comparison.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "tests/windows/crosscheck/corpus.h"

namespace corpus {

// Picture files: for each command, the smallest box holding every pixel that
// differs from the background, and those pixels (0x00RRGGBB, row by row).
// All numbers are 32-bit little-endian words.
//
//   "VKRC" count width height background
//   per command: index left top box_width box_height, pixels

struct Picture {
  int left = 0, top = 0, width = 0, height = 0;  // an empty box: nothing drawn
  std::vector<std::uint32_t> pixels;

  std::uint32_t at(int x, int y) const {
    if (x < left || y < top || x >= left + width || y >= top + height)
      return kBackground;
    return pixels[static_cast<std::size_t>(y - top) * width + (x - left)];
  }
};

// The box of a whole surface's non-background pixels (rows from the top).
inline Picture crop(const std::uint32_t* surface) {
  int l = kWidth, t = kHeight, r = -1, bottom = -1;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if ((surface[y * kWidth + x] & 0xFFFFFFu) == kBackground)
        continue;
      l = x < l ? x : l;
      r = x > r ? x : r;
      t = y < t ? y : t;
      bottom = y > bottom ? y : bottom;
    }
  }
  Picture p;
  if (r < 0)
    return p;
  p.left = l;
  p.top = t;
  p.width = r - l + 1;
  p.height = bottom - t + 1;
  for (int y = t; y <= bottom; ++y) {
    for (int x = l; x <= r; ++x)
      p.pixels.push_back(surface[y * kWidth + x] & 0xFFFFFFu);
  }
  return p;
}

inline bool write_word(std::FILE* f, std::uint32_t v) {
  const unsigned char bytes[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                  static_cast<unsigned char>(v >> 16),
                                  static_cast<unsigned char>(v >> 24)};
  return std::fwrite(bytes, 1, 4, f) == 4;
}

inline bool read_word(std::FILE* f, std::uint32_t* v) {
  unsigned char bytes[4];
  if (std::fread(bytes, 1, 4, f) != 4)
    return false;
  *v = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (std::uint32_t{bytes[3]} << 24);
  return true;
}

constexpr std::uint32_t kMagic = 0x43524B56;  // "VKRC"

inline bool write_header(std::FILE* f, std::size_t count) {
  return write_word(f, kMagic) && write_word(f, static_cast<std::uint32_t>(count)) &&
         write_word(f, kWidth) && write_word(f, kHeight) && write_word(f, kBackground);
}

inline bool write_picture(std::FILE* f, std::size_t index, const Picture& p) {
  bool ok = write_word(f, static_cast<std::uint32_t>(index)) &&
            write_word(f, static_cast<std::uint32_t>(p.left)) &&
            write_word(f, static_cast<std::uint32_t>(p.top)) &&
            write_word(f, static_cast<std::uint32_t>(p.width)) &&
            write_word(f, static_cast<std::uint32_t>(p.height));
  for (std::size_t i = 0; ok && i < p.pixels.size(); ++i)
    ok = write_word(f, p.pixels[i]);
  return ok;
}

// Reads a whole file; false when it is not one of the corpus's size.
inline bool read_pictures(const char* path, std::size_t count, std::vector<Picture>* out) {
  std::FILE* f = std::fopen(path, "rb");
  if (!f)
    return false;
  std::uint32_t magic = 0, n = 0, w = 0, h = 0, bg = 0;
  bool ok = read_word(f, &magic) && read_word(f, &n) && read_word(f, &w) && read_word(f, &h) &&
            read_word(f, &bg) && magic == kMagic && n == count && w == kWidth && h == kHeight &&
            bg == kBackground;
  out->assign(count, Picture{});
  for (std::size_t i = 0; ok && i < count; ++i) {
    std::uint32_t index = 0, l = 0, t = 0, pw = 0, ph = 0;
    ok = read_word(f, &index) && read_word(f, &l) && read_word(f, &t) && read_word(f, &pw) &&
         read_word(f, &ph) && index == i && l < kWidth && t < kHeight && pw <= kWidth - l &&
         ph <= kHeight - t;
    if (!ok)
      break;
    Picture& p = (*out)[i];
    p.left = static_cast<int>(l);
    p.top = static_cast<int>(t);
    p.width = static_cast<int>(pw);
    p.height = static_cast<int>(ph);
    p.pixels.resize(static_cast<std::size_t>(pw) * ph);
    for (std::uint32_t& v : p.pixels)
      ok = ok && read_word(f, &v);
  }
  std::fclose(f);
  return ok;
}

// The pixels either picture changed, and how many of them differ.
struct Comparison {
  long long compared = 0;
  long long differing = 0;
};

// The union of the pictures' boxes, inclusive; empty (r < l) when both are.
struct Area {
  int l = 0, t = 0, r = -1, b = -1;
  bool empty() const { return r < l || b < t; }
};

inline Area union_of(const Picture& a, const Picture& b) {
  Area u;
  bool any = false;
  for (const Picture* p : {&a, &b}) {
    if (p->width == 0)
      continue;
    const Area box{p->left, p->top, p->left + p->width - 1, p->top + p->height - 1};
    u = any ? Area{std::min(u.l, box.l), std::min(u.t, box.t), std::max(u.r, box.r),
                   std::max(u.b, box.b)}
            : box;
    any = true;
  }
  return u;
}

inline Comparison compare(const Picture& a, const Picture& b) {
  Comparison c;
  const Area u = union_of(a, b);
  for (int y = u.t; y <= u.b; ++y) {
    for (int x = u.l; x <= u.r; ++x) {
      const std::uint32_t p = a.at(x, y), q = b.at(x, y);
      if (p == kBackground && q == kBackground)
        continue;
      ++c.compared;
      c.differing += p != q;
    }
  }
  return c;
}

}  // namespace corpus
