// Pictures of a canvas and their comparison near shape boundaries: drawing
// far outside GDI's range may move a boundary by up to a pixel, never more.
#pragma once

#include <cstdint>
#include <vector>

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // row by row from the top, any colour encoding

  std::uint32_t at(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

struct Comparison {
  int differing = 0;  // pixels whose colours differ
  int far_off = 0;    // of them, those whose colour is not found next to them in the other picture
  int first_x = -1;   // the first far-off pixel
  int first_y = -1;
};

// Two pictures of one size agree near boundaries when every pixel that
// differs has its colour, in each picture, within the 3 x 3 pixels around it
// in the other.
inline Comparison compare_near(const Picture& got, const Picture& want) {
  Comparison result;
  const auto found_near = [](const Picture& picture, int x, int y, std::uint32_t color) {
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) {
        const int nx = x + dx, ny = y + dy;
        if (nx >= 0 && ny >= 0 && nx < picture.width && ny < picture.height &&
            picture.at(nx, ny) == color)
          return true;
      }
    }
    return false;
  };
  for (int y = 0; y < want.height; ++y) {
    for (int x = 0; x < want.width; ++x) {
      const std::uint32_t g = got.at(x, y), w = want.at(x, y);
      if (g == w)
        continue;
      ++result.differing;
      if (found_near(want, x, y, g) && found_near(got, x, y, w))
        continue;
      if (result.far_off++ == 0) {
        result.first_x = x;
        result.first_y = y;
      }
    }
  }
  return result;
}
