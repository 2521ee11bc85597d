// Pictures of windows as velko-check compares them: PNG files read into
// RGB, the count of pixels that differ, and a picture of the differences.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace check {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3
};

// The picture in the bytes of a PNG file; false, with the reason in *why,
// when they are not one.
bool read_png_bytes(const std::string& bytes, Picture* picture, std::string* why);
bool write_png(const std::string& path, const Picture& picture);

struct PixelComparison {
  long long differing = 0;         // pixels with any channel different (or outside the other)
  long long beyond_tolerance = 0;  // pixels with a channel further apart than the tolerance
  long long total = 0;             // pixels of the larger extent of the two
  bool same_size = false;
  double share_percent() const { return total ? 100.0 * beyond_tolerance / total : 0; }
};

// The size a PNG file's header gives; false when it is not a PNG file.
bool png_size(const std::string& bytes, int* width, int* height);

// Compares the two pixel by pixel; a channel may differ by up to
// `tolerance` levels (0-255) before the pixel counts beyond the tolerance.
// When `difference` is given it receives a picture of the larger extent:
// the reference faded where they agree, yellow where they differ within
// the tolerance, red beyond it, magenta where only one of them has pixels.
PixelComparison compare_pictures(const Picture& got, const Picture& reference, int tolerance,
                                 Picture* difference);

}  // namespace check
